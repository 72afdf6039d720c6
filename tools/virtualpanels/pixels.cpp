#include "tools/virtualpanels/pixels.h"

#include <cstddef>

namespace orvex::virtualpanels {

void ShrinkByAveraging(const uint32_t* in, int width, int height, int factor, uint32_t* out) {
    if (factor < 1 || width < factor || height < factor) return;
    const int outWidth = width / factor;
    const int outHeight = height / factor;
    const uint32_t count = static_cast<uint32_t>(factor * factor);
    for (int oy = 0; oy < outHeight; ++oy) {
        for (int ox = 0; ox < outWidth; ++ox) {
            uint32_t sum[4] = {0, 0, 0, 0};
            for (int y = oy * factor; y < (oy + 1) * factor; ++y) {
                const uint32_t* row = in + static_cast<size_t>(y) * static_cast<size_t>(width);
                for (int x = ox * factor; x < (ox + 1) * factor; ++x) {
                    const uint32_t p = row[x];
                    sum[0] += p & 0xFF;
                    sum[1] += (p >> 8) & 0xFF;
                    sum[2] += (p >> 16) & 0xFF;
                    sum[3] += p >> 24;
                }
            }
            uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c) pixel |= ((sum[c] + count / 2) / count) << (8 * c);
            out[static_cast<size_t>(oy) * static_cast<size_t>(outWidth) + static_cast<size_t>(ox)] = pixel;
        }
    }
}

} // namespace orvex::virtualpanels
