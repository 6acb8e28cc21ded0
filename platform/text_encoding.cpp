// Text helpers shared by the modules that keep text as UTF-8.
#include "platform/text_encoding.h"

#include <utf8.h>

#include <array>
#include <iterator>

namespace {

// Windows-1252 bytes 0x80-0x9F; the rest of the upper half equals Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::string CutUtf8(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  std::size_t cut = maxBytes;
  // Step back over continuation bytes (10xxxxxx) to the start of a character.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut));
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    const char32_t cp = (byte >= 0x80 && byte <= 0x9F) ? kCp1252High[byte - 0x80] : byte;
    utf8::append(cp, std::back_inserter(out));
  }
  return out;
}

std::string NarrowToUtf8(std::string_view bytes) {
  if (utf8::is_valid(bytes.begin(), bytes.end())) return std::string(bytes);
  return Cp1252ToUtf8(bytes);
}
