// A small helper of the demo script: it finds a window of another program
// by its class (and optionally its title), saves a picture of it, reads the
// text of one of its controls, or presses a key in it. Windows messages that
// carry no pointers travel between processes, so this needs nothing of the
// programs it looks at.
#include "common/win32/handles.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

HWND FindTopLevel(const char* cls, const char* title) {
    if (cls && std::string(cls) == "-") cls = nullptr;
    return ::FindWindowA(cls, title && *title ? title : nullptr);
}

// Finds a control by its identifier anywhere below `parent`.
HWND FindControl(HWND parent, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (::GetDlgCtrlID(child) == s->id) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Saves what the screen shows of the window as a 24-bit BMP file.
bool Shot(HWND window, const char* file) {
    RECT r{};
    if (!::GetWindowRect(window, &r)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = ::GetDC(nullptr);
    orvex::win32::UniqueDc memory(::CreateCompatibleDC(screen));
    orvex::win32::UniqueGdi bitmap(::CreateCompatibleBitmap(screen, w, h));
    bool ok = false;
    if (memory && bitmap) {
        orvex::win32::SelectGuard select(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        BITMAPINFOHEADER info{};
        info.biSize = sizeof(info);
        info.biWidth = w;
        info.biHeight = h;
        info.biPlanes = 1;
        info.biBitCount = 24;
        info.biCompression = BI_RGB;
        const int stride = ((w * 3 + 3) / 4) * 4;
        std::vector<unsigned char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(h));
        ::SelectObject(memory.get(), ::GetStockObject(DEFAULT_GUI_FONT));
        if (::GetDIBits(memory.get(), static_cast<HBITMAP>(bitmap.get()), 0, static_cast<UINT>(h), pixels.data(),
                        reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS)) {
            BITMAPFILEHEADER header{};
            header.bfType = 0x4D42;
            header.bfOffBits = sizeof(header) + sizeof(info);
            header.bfSize = static_cast<DWORD>(header.bfOffBits + pixels.size());
            std::ofstream out(file, std::ios::binary);
            out.write(reinterpret_cast<const char*>(&header), sizeof(header));
            out.write(reinterpret_cast<const char*>(&info), sizeof(info));
            out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
            ok = static_cast<bool>(out);
        }
    }
    ::ReleaseDC(nullptr, screen);
    return ok;
}

int Usage() {
    std::fprintf(stderr,
                 "demotool shot <class> <title|-> <file.bmp>\n"
                 "demotool text <class> <title|-> <control id>\n"
                 "demotool key <class> <title|-> <control id> <virtual key>\n"
                 "demotool wait <class> <title|-> <seconds>\n"
                 "demotool close <class> <title|->\n"
                 "<class> may be - (any class)\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) return Usage();
    // Screen coordinates in pixels, whatever the DPI.
    ::SetProcessDPIAware();
    const std::string verb = argv[1];
    const char* title = std::string(argv[3]) == "-" ? nullptr : argv[3];
    if (verb == "wait" && argc >= 5) {
        const DWORD until = ::GetTickCount() + static_cast<DWORD>(std::atoi(argv[4]) * 1000);
        while (!FindTopLevel(argv[2], title)) {
            if (static_cast<LONG>(::GetTickCount() - until) > 0) return 1;
            ::Sleep(100);
        }
        return 0;
    }
    HWND window = FindTopLevel(argv[2], title);
    if (!window) {
        std::fprintf(stderr, "no window of class %s\n", argv[2]);
        return 1;
    }
    if (verb == "shot" && argc >= 5) {
        // Bring it in front of the others so that the screen shows all of it.
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::Sleep(400);
        return Shot(window, argv[4]) ? 0 : 1;
    }
    if (verb == "close") {
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if ((verb == "text" || verb == "key") && argc >= 5) {
        HWND control = FindControl(window, std::atoi(argv[4]));
        if (!control) return 1;
        if (verb == "text") {
            char text[512] = {};
            ::SendMessageTimeoutA(control, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                                  SMTO_ABORTIFHUNG, 2000, nullptr);
            std::printf("%s\n", text);
            return 0;
        }
        if (argc < 6) return Usage();
        const WPARAM key = static_cast<WPARAM>(std::strtol(argv[5], nullptr, 0));
        ::PostMessageA(control, WM_KEYDOWN, key, 1);
        ::PostMessageA(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
        return 0;
    }
    return Usage();
}
