#include "app/win32/icons.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace orvex::app::win32 {

orvex::win32::UniqueIcon MakeBadgeIcon(COLORREF fill, int size) {
    using orvex::win32::UniqueGdi;
    if (size <= 0) return {};
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof(header);
    header.bV5Width = size;
    header.bV5Height = -size;  // top-down
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    UniqueGdi colour(::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                        nullptr, 0));
    if (screen) ::ReleaseDC(nullptr, screen);
    if (!colour || !bits) return {};
    UniqueGdi mask(::CreateBitmap(size, size, 1, 1, nullptr));
    if (!mask) return {};

    // The badge: an anti-aliased disc with a darker rim and a white "O" ring.
    auto* pixels = static_cast<std::uint32_t*>(bits);
    const double c = (size - 1) / 2.0;
    const double outer = size / 2.0 - 0.5;
    const double rim = outer - std::max(1.0, size / 16.0);
    const double ringOuter = outer * 0.62;
    const double ringInner = outer * 0.36;
    const int r = GetRValue(fill), g = GetGValue(fill), b = GetBValue(fill);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x - c, y - c);
            const double coverage = std::clamp(outer - d + 0.5, 0.0, 1.0);
            int pr = r, pg = g, pb = b;
            if (d > rim) {
                pr = pr * 3 / 5;
                pg = pg * 3 / 5;
                pb = pb * 3 / 5;
            }
            const double ring = std::clamp(std::min(ringOuter - d, d - ringInner) + 0.5, 0.0, 1.0);
            pr = static_cast<int>(pr + (255 - pr) * ring);
            pg = static_cast<int>(pg + (255 - pg) * ring);
            pb = static_cast<int>(pb + (255 - pb) * ring);
            const auto a = static_cast<std::uint32_t>(coverage * 255.0 + 0.5);
            // Premultiplied colour, as icons with alpha expect.
            const auto pm = [a](int v) { return static_cast<std::uint32_t>(v) * a / 255u; };
            pixels[y * size + x] = (a << 24) | (pm(pr) << 16) | (pm(pg) << 8) | pm(pb);
        }
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = static_cast<HBITMAP>(colour.get());
    info.hbmMask = static_cast<HBITMAP>(mask.get());
    return orvex::win32::UniqueIcon(::CreateIconIndirect(&info));
}

} // namespace orvex::app::win32
