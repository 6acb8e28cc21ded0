// INI files with the rules of the Windows private-profile functions; see
// ini_file.h for the rules themselves. The file is kept as a list of lines so
// that everything a write does not touch goes back to disk unchanged.
#include "platform/ini_file.h"

#include "platform/regular_file.h"
#include "platform/replace_file.h"
#include "platform/text_encoding.h"

#include <unistd.h>
#include <utf8.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";
constexpr size_t kMaxFileBytes = 64u << 20;  // an INI file is small; refuse anything absurd

// Blanks as the Windows profile reader sees them (0x1A is the old end-of-file mark).
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1A';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// The decoded text of a line read from a UTF-8 (or ANSI) file.
std::string DecodeLine(std::string_view raw) { return NarrowToUtf8(raw); }

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  std::string out;
  try {
    utf8::utf16to8(units.begin(), units.end(), std::back_inserter(out));
  } catch (const utf8::exception&) {
    // A broken surrogate pair: keep what can be kept, one replacement each.
    out.clear();
    for (char16_t u : units) {
      const char32_t cp = (u >= 0xD800 && u <= 0xDFFF) ? U'\uFFFD' : static_cast<char32_t>(u);
      utf8::append(cp, std::back_inserter(out));
    }
  }
  return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
  std::u16string units;
  utf8::utf8to16(text.begin(), text.end(), std::back_inserter(units));
  std::string out;
  out.reserve(units.size() * 2);
  for (char16_t u : units) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
  return out;
}

// Keeps at most `maxChars` UTF-8 characters.
std::string CutChars(std::string_view s, size_t maxChars) {
  size_t pos = 0;
  for (size_t n = 0; n < maxChars && pos < s.size(); ++n) {
    ++pos;
    while (pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80) ++pos;
  }
  return std::string(s.substr(0, pos));
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos;
}

bool IsQuotePair(std::string_view v) {
  return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

// The value text to write so that it reads back unchanged.
std::string EncodeValue(std::string_view value) {
  if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || IsQuotePair(value))) {
    return "\"" + std::string(value) + "\"";
  }
  return std::string(value);
}

void CheckNames(std::string_view section, std::string_view key) {
  if (section.empty() || HasLineBreakOrNul(section)) {
    throw std::invalid_argument("INI section name cannot be stored: " + std::string(section));
  }
  if (key.empty() || HasLineBreakOrNul(key) || key.find('=') != key.npos || key.front() == '[' ||
      key.front() == ';' || Trim(key).size() != key.size()) {
    throw std::invalid_argument("INI key name cannot be stored: " + std::string(key));
  }
}

enum class LineKind { Blank, Comment, Section, Key, Damaged };

struct Line {
  std::string raw;  // bytes written back for an unchanged line (UTF-8 text in UTF-16 files)
  std::string eol;  // "\r\n", "\n" or "" for a last line without one
  LineKind kind = LineKind::Blank;
  std::string name;   // section or key name
  std::string value;  // key value, trimmed and without its quotes
};

Line ParseLine(std::string raw, std::string eol, const std::string& text) {
  Line line{std::move(raw), std::move(eol), LineKind::Damaged, {}, {}};
  const std::string_view t = Trim(text);
  if (t.empty()) {
    line.kind = LineKind::Blank;
  } else if (t.front() == ';') {
    line.kind = LineKind::Comment;
  } else if (t.front() == '[') {
    const size_t close = t.rfind(']');
    if (close != t.npos) {
      line.kind = LineKind::Section;
      line.name = std::string(t.substr(1, close - 1));
    }
  } else if (const size_t eq = t.find('='); eq != t.npos) {
    const std::string_view key = Trim(t.substr(0, eq));
    if (!key.empty()) {
      std::string_view value = Trim(t.substr(eq + 1));
      if (IsQuotePair(value)) value = value.substr(1, value.size() - 2);
      line.kind = LineKind::Key;
      line.name = std::string(key);
      line.value = std::string(value);
    }
  }
  return line;
}

std::string ErrnoText(int e) { return std::strerror(e); }

// The file a write should replace: the target of a symbolic link, so that a
// linked settings file stays linked.
std::string ResolveTarget(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_symlink(path, ec)) {
    const auto target = std::filesystem::canonical(path, ec);
    if (!ec) return target.string();
  }
  return path;
}

// Writes `bytes` over `target` as one step; throws on failure.
void ReplaceFile(const std::string& target, std::string_view bytes) {
  const ReplaceFileResult result = ReplaceFileContents(target, bytes);
  switch (result.failed) {
    case ReplaceFileResult::None:
      return;
    case ReplaceFileResult::Create:
      throw IniFileError(target, "cannot create a file beside", result.error);
    case ReplaceFileResult::Write:
      throw IniFileError(target, "cannot write", result.error);
    case ReplaceFileResult::Replace:
      throw IniFileError(target, "cannot replace", result.error);
  }
}

}  // namespace

IniFileError::IniFileError(const std::string& path, const std::string& what, int errorNumber)
    : std::runtime_error(what + " \"" + path + "\": " + ErrnoText(errorNumber)),
      path_(path),
      errorNumber_(errorNumber) {}

// ---------------------------------------------------------------------------

struct IniFile::Impl {
  enum class Encoding { Utf8, Utf8Bom, Utf16Le } encoding = Encoding::Utf8;
  std::vector<Line> lines;
  std::string newline = "\n";

  // First section header of that name, or lines.size().
  size_t FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].kind == LineKind::Section && SameName(lines[i].name, section)) return i;
    }
    return lines.size();
  }

  // One past the last line of the section whose header is at `header`.
  size_t SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != LineKind::Section) ++i;
    return i;
  }

  const Line* FindKey(std::string_view section, std::string_view key) const {
    const size_t header = FindSection(section);
    if (header == lines.size()) return nullptr;
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
      if (lines[i].kind == LineKind::Key && SameName(lines[i].name, key)) return &lines[i];
    }
    return nullptr;
  }

  Line MakeLine(const std::string& text) const { return ParseLine(text, newline, text); }

  // Inserts a line at `pos`, giving a last line without a line end one first.
  void InsertLine(size_t pos, Line line) {
    if (pos == lines.size() && !lines.empty() && lines.back().eol.empty()) lines.back().eol = newline;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(pos), std::move(line));
  }

  void SplitLines(std::string_view bytes, bool decodeEach) {
    lines.clear();
    bool newlineSeen = false;
    while (!bytes.empty()) {
      const size_t nl = bytes.find('\n');
      std::string_view raw = bytes.substr(0, nl);
      std::string eol;
      if (nl != bytes.npos) {
        eol = "\n";
        if (!raw.empty() && raw.back() == '\r') {
          raw.remove_suffix(1);
          eol = "\r\n";
        }
        if (!newlineSeen) newline = eol;
        newlineSeen = true;
        bytes.remove_prefix(nl + 1);
      } else {
        bytes = {};
      }
      const std::string text = decodeEach ? DecodeLine(raw) : std::string(raw);
      lines.push_back(ParseLine(std::string(raw), std::move(eol), text));
    }
  }
};

IniFile::IniFile() : impl_(std::make_unique<Impl>()) {}
IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

void IniFile::Parse(std::string_view bytes) {
  impl_->newline = "\n";
  if (bytes.substr(0, kUtf16Bom.size()) == kUtf16Bom) {
    impl_->encoding = Impl::Encoding::Utf16Le;
    const std::string text = Utf16LeToUtf8(bytes.substr(kUtf16Bom.size()));
    impl_->SplitLines(text, false);
  } else if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    impl_->encoding = Impl::Encoding::Utf8Bom;
    impl_->SplitLines(bytes.substr(kUtf8Bom.size()), true);
  } else {
    impl_->encoding = Impl::Encoding::Utf8;
    impl_->SplitLines(bytes, true);
  }
}

void IniFile::Load(const std::string& path) {
  // Only a regular file is read: a FIFO or a device in its place would block
  // the open or feed endless bytes.
  const int fd = OpenRegularFileForRead(path);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      Parse({});
      return;
    }
    throw IniFileError(path, "cannot open", errno);
  }
  std::string bytes;
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int e = errno;
      ::close(fd);
      throw IniFileError(path, "cannot read", e);
    }
    bytes.append(buffer, static_cast<size_t>(n));
    if (bytes.size() > kMaxFileBytes) {
      ::close(fd);
      throw IniFileError(path, "too large to be a settings file", EFBIG);
    }
  }
  ::close(fd);
  Parse(bytes);
}

bool IniFile::Find(std::string_view section, std::string_view key, std::string* value) const {
  const Line* line = impl_->FindKey(section, key);
  if (line == nullptr) return false;
  if (value != nullptr) *value = line->value;
  return true;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  CheckNames(section, key);
  if (HasLineBreakOrNul(value)) throw std::invalid_argument("INI value cannot be stored in one line");
  if (!utf8::is_valid(value.begin(), value.end())) throw std::invalid_argument("INI value is not UTF-8");
  auto& lines = impl_->lines;
  const size_t header = impl_->FindSection(section);
  if (header == lines.size()) {
    impl_->InsertLine(lines.size(), impl_->MakeLine("[" + std::string(section) + "]"));
    impl_->InsertLine(lines.size(), impl_->MakeLine(std::string(key) + "=" + EncodeValue(value)));
    return;
  }
  const size_t end = impl_->SectionEnd(header);
  size_t lastContent = header;
  for (size_t i = header + 1; i < end; ++i) {
    Line& line = lines[i];
    if (line.kind == LineKind::Key && SameName(line.name, key)) {
      Line changed = impl_->MakeLine(line.name + "=" + EncodeValue(value));
      changed.eol = line.eol;
      line = std::move(changed);
      return;
    }
    if (line.kind != LineKind::Blank) lastContent = i;
  }
  impl_->InsertLine(lastContent + 1, impl_->MakeLine(std::string(key) + "=" + EncodeValue(value)));
}

bool IniFile::RemoveKey(std::string_view section, std::string_view key) {
  auto& lines = impl_->lines;
  const size_t header = impl_->FindSection(section);
  if (header == lines.size()) return false;
  const size_t end = impl_->SectionEnd(header);
  const auto first = lines.begin() + static_cast<std::ptrdiff_t>(header + 1);
  const auto last = lines.begin() + static_cast<std::ptrdiff_t>(end);
  const auto removed = std::remove_if(
      first, last, [&](const Line& line) { return line.kind == LineKind::Key && SameName(line.name, key); });
  if (removed == last) return false;
  lines.erase(removed, last);
  return true;
}

bool IniFile::RemoveSection(std::string_view section) {
  auto& lines = impl_->lines;
  const size_t header = impl_->FindSection(section);
  if (header == lines.size()) return false;
  const size_t end = impl_->SectionEnd(header);
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header),
              lines.begin() + static_cast<std::ptrdiff_t>(end));
  return true;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const auto& lines = impl_->lines;
  const size_t header = impl_->FindSection(section);
  if (header == lines.size()) return keys;
  const size_t end = impl_->SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    if (lines[i].kind != LineKind::Key) continue;
    const bool seen = std::any_of(keys.begin(), keys.end(),
                                  [&](const std::string& k) { return SameName(k, lines[i].name); });
    if (!seen) keys.push_back(lines[i].name);
  }
  return keys;
}

std::string IniFile::Serialize() const {
  std::string text;
  for (const Line& line : impl_->lines) text += line.raw + line.eol;
  switch (impl_->encoding) {
    case Impl::Encoding::Utf8:
      return text;
    case Impl::Encoding::Utf8Bom:
      return std::string(kUtf8Bom) + text;
    case Impl::Encoding::Utf16Le:
      return std::string(kUtf16Bom) + Utf8ToUtf16Le(text);
  }
  return text;
}

void IniFile::Save(const std::string& path) const { ReplaceFile(ResolveTarget(path), Serialize()); }

// ---------------------------------------------------------------------------
// Windows lookups on a loaded file.

namespace {

// RtlUnicodeStringToInteger with base 0, which GetPrivateProfileIntW uses.
int ParseProfileInt(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  unsigned base = 10;
  if (i + 1 < s.size() && s[i] == '0') {
    const char p = AsciiLower(s[i + 1]);
    base = p == 'x' ? 16 : p == 'o' ? 8 : p == 'b' ? 2 : 10;
    if (base != 10) i += 2;
  }
  uint32_t value = 0;
  for (; i < s.size(); ++i) {
    const char c = AsciiLower(s[i]);
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else {
      break;
    }
    if (digit >= base) break;
    value = value * base + digit;
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

}  // namespace

int IniFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
  // Windows reads the number through a 30-character buffer.
  const std::string text = GetString(section, key, "", 30);
  if (text.empty()) return defaultValue;
  return ParseProfileInt(text);
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                               size_t bufferChars) const {
  if (bufferChars == 0) return {};
  std::string value;
  const bool found = Find(section, key, &value);
  std::string_view text = found ? std::string_view(value) : defaultValue;
  if (!found) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  }
  text = text.substr(0, text.find('\0'));
  return CutChars(text, bufferChars - 1);
}
