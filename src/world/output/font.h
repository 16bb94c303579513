#pragma once
// A tiny built-in bitmap font for map legends: digits, '-', '.', and the letters of the legend
// labels ("Empty", "Colonized", "P1", "P2", "Both"). Glyphs are 8 rows high and of variable
// width; characters without a glyph print as a blank of the digit width.

#include <string_view>

namespace orvantis {

inline constexpr int kGlyphHeight = 8;
inline constexpr int kGlyphSpacing = 1;

// The rows of a glyph, '#' for ink, each row of the glyph's width; nullptr if there is none.
const char* const* glyphRows(char c);
int glyphWidth(char c);
// Width of a text including the spacing after every glyph but the last.
int textWidth(std::string_view text);

}  // namespace orvantis
