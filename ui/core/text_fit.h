// Fitting one line of text into a width: what a status-bar pane or a label
// shows when its text is wider than the room it has.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Measures one line of text in pixels.
using TextWidthFn = std::function<int(std::string_view)>;

// The mark that stands for the characters left out.
inline constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // U+2026

// The byte offsets in UTF-8 `text` between whole characters: 0, then where
// each character ends. A cut at one of them never splits a character.
std::vector<size_t> CharacterBounds(std::string_view text);

// `text` as it fits into `maxWidth` pixels. A text that fits comes back
// unchanged. A text that names a path (it holds a '/') loses characters from
// its middle: its start and everything from its last '/' on (the file name)
// stay, with an ellipsis between; when even the file name does not fit, the
// ellipsis is followed by as much of the file name as fits, and another
// ellipsis. Any other text is cut at its end and ends in an ellipsis. Only
// whole characters are left out.
std::string FitTextToWidth(std::string_view text, int maxWidth, const TextWidthFn& width);
