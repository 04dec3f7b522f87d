// 5x7 dot-matrix glyphs as a display board draws them: seven rows, five bits each, MSB left.
#pragma once

#include <array>
#include <cstdint>

namespace dotfont {

using TGlyph = std::array<uint8_t, 7>;

TGlyph Glyph(char c); // unknown characters come out as a hollow box
} // namespace dotfont
