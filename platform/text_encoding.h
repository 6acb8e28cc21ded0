// Small text helpers shared by every module that keeps text as UTF-8: cutting
// at a character boundary, and reading narrow text that another program
// wrote in the Windows code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// `text` cut to at most `maxBytes` bytes without splitting a UTF-8 character.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

// Windows-1252 bytes as UTF-8. The five unassigned bytes map to the C1
// control of the same number, as the system's own conversion does.
std::string Cp1252ToUtf8(std::string_view bytes);

// Narrow text of unknown origin: kept as it is when it is valid UTF-8, else
// read as Windows-1252.
std::string NarrowToUtf8(std::string_view bytes);
