// Smooth edges without an anti-aliasing renderer: the window draws its face
// at several times its size and shrinks it, each pixel the mean of the block
// it covers.
#pragma once

#include <cstdint>

namespace orvex::virtualpanels {

// Shrinks a `width` x `height` image of 32-bit pixels (rows packed, top
// row first) by `factor` in both directions into `out`, which holds
// (width / factor) x (height / factor) pixels. Each of the four bytes of a
// pixel is averaged on its own, rounded to the nearest. Columns and rows
// beyond a whole block are dropped.
void ShrinkByAveraging(const uint32_t* in, int width, int height, int factor, uint32_t* out);

} // namespace orvex::virtualpanels
