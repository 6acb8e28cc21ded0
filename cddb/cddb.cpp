// The CDDB client's requests, reply reading, text conversion and error
// reporting, and reading and writing xmcd text in files. The body parsers
// are in cddb_parse.cpp.
#include "cddb/cddb.h"
#include "platform/regular_file.h"
#include "platform/text_encoding.h"

#include <fmt/format.h>
#include <fmt/printf.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utf8.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "cddb/cddb_globals.h"

CCDDB CDDBClient;

namespace {

constexpr const char* kTerminator = "\r\n.\r\n";
// A single-record file this size or more is refused.
constexpr unsigned long long kMaxLocalFile = 1ull << 32;

std::string Base64(const std::string& bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    uint32_t v = static_cast<uint8_t>(bytes[i]) << 16 | static_cast<uint8_t>(bytes[i + 1]) << 8 |
                 static_cast<uint8_t>(bytes[i + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) out += kAlphabet[(v >> shift) & 63];
  }
  size_t left = bytes.size() - i;
  if (left > 0) {
    uint32_t v = static_cast<uint8_t>(bytes[i]) << 16;
    if (left == 2) v |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += left == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string LocalHostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof(name) - 1) != 0) return {};
  return name;
}

std::string LoginName() {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
      !found->pw_name || !*found->pw_name) {
    return "Unknown";
  }
  return found->pw_name;
}

}  // namespace

// ---------------------------------------------------------------------------
// Exceptions

std::string CDDBSystemMessage(uint32_t number) {
  switch (number) {
    case kCDDBErrorNoMemory:
      return "Not enough memory is available to complete this operation.";
    case kCDDBErrorNoReply:
      return "The CDDB server gave no usable reply in time.";
    case kCDDBErrorBadRecord:
      return "The CDDB server did not return a valid disc record.";
    default:
      return SystemErrorText(static_cast<int>(number));
  }
}

namespace {

std::string DescribeCode(uint32_t code, const std::string& message) {
  return message.empty() ? fmt::format("CDDB error 0x{:08x}", code)
                         : fmt::format("CDDB error 0x{:08x}: {}", code, message);
}

}  // namespace

CCDDBException::CCDDBException(uint32_t code, std::string text) : Code(code), Text(std::move(text)) {
  std::string message;
  GetErrorMessage(message);
  what_ = DescribeCode(Code, message);
}

CCDDBException::CCDDBException(uint32_t number, uint32_t facility, std::string text)
    : CCDDBException((number & 0xFFFF) | 0x80000000u | (facility << 16), std::move(text)) {}

CCDDBException::CCDDBException(uint32_t code, std::string text, std::string message)
    : Code(code), Text(std::move(text)), message_(std::move(message)) {
  std::string shown;
  GetErrorMessage(shown);
  what_ = DescribeCode(Code, shown);
}

int CCDDBException::GetErrorMessage(std::string& message, size_t maxChars, unsigned* helpContext) const {
  if (helpContext) *helpContext = 0;
  message.clear();
  if (maxChars == 0 || (message_.empty() && Facility() == kCDDBFacilityClient)) return 0;
  std::string text = message_.empty() ? CDDBSystemMessage(Code & 0xFFFF) : message_;
  if (text.empty()) return 0;
  message = CutUtf8(text, maxChars - 1);
  return 1;
}

void CCDDB::ReportFailure(const std::string& message) {
  host_->AddLog(message, LogError);
  host_->ClearCDDBResults();
}

void CCDDB::Throw(const CCDDBException& error) {
  std::string message;
  error.GetErrorMessage(message, 4096);
  std::string text = fmt::format("Warning: throwing CCDDBException for error {}", message);
  CDDBExceptionText = text.substr(0, text.find_first_of("\r\n"));
  ReportFailure(CDDBExceptionText);
  throw error;
}

void CCDDB::ThrowCDDBSystemError(int number, uint32_t facility, const std::string& text) {
  if (number == 0) number = errno;
  Throw(CCDDBException(static_cast<uint32_t>(number), facility, text));
}

void CCDDB::ThrowCDDBException(uint32_t code, const std::string& text) { Throw(CCDDBException(code, text)); }

void CCDDB::ThrowCDDBException(uint32_t code, const std::string& text, const std::string& message) {
  Throw(CCDDBException(code, text, message));
}

// ---------------------------------------------------------------------------
// Identification

CCDDB::CCDDB() {
  SetHelloHost("auto");
  SetHelloUser("auto");
}

void CCDDB::SetHelloHost(const std::string& host) {
  std::string word = host == "auto" ? LocalHostName() : host;
  ReplaceNonAlphanumeric(word);
  HelloHost = word;
}

void CCDDB::SetHelloUser(const std::string& user) {
  std::string word = user == "auto" ? LoginName() : user;
  ReplaceNonAlphanumeric(word);
  HelloUser = word;
}

std::string CCDDB::GetHelloCommand() {
  return fmt::sprintf("hello=%s+%s+%s+%s&proto=%d", HelloUser, HelloHost, ClientName, ClientVersion,
                      ProtocolLevel);
}

void CCDDB::ReplaceNonAlphanumeric(std::string& text) {
  // One "_" per character, so a multi-byte character counts once.
  std::string out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    out += '_';
    size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    size_t next = i + 1;
    while (next < i + length && next < text.size() &&
           (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) {
      ++next;
    }
    i = next;
  }
  text = out;
}

std::string CCDDB::GetProxyHeaders(const CCDDBSite& site) {
  if (ProxyUser.empty()) return fmt::sprintf("Host: %s", site.Host);
  std::string credentials = fmt::sprintf("%s:%s", ProxyUser, ProxyPassword);
  return fmt::sprintf("Proxy-Authorization: Basic %s\r\nHost: %s", Base64(credentials), site.Host);
}

// ---------------------------------------------------------------------------
// Text

std::string CCDDB::NarrowToString(const std::string& narrow) {
  try {
    std::string text;
    text.reserve(narrow.size());
    if (ProtocolLevel >= 6) {
      utf8::replace_invalid(narrow.begin(), narrow.end(), std::back_inserter(text));
    } else {
      for (unsigned char c : narrow) utf8::append(static_cast<char32_t>(c), std::back_inserter(text));
    }
    return text;
  } catch (const std::bad_alloc&) {
    ThrowCDDBSystemError(kCDDBErrorNoMemory, kCDDBFacilitySystem, "");
  }
}

std::string CCDDB::StringToNarrow(const std::string& text) {
  std::string narrow;
  if (ProtocolLevel >= 6) {
    utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(narrow));
    return narrow;
  }
  // ISO-8859-1: characters it cannot hold become "?".
  for (auto it = text.begin(); it != text.end();) {
    uint32_t code = '?';
    try {
      code = utf8::next(it, text.end());
    } catch (const utf8::exception&) {
      ++it;
    }
    narrow += static_cast<char>(code <= 0xFF ? code : '?');
  }
  return narrow;
}

// ---------------------------------------------------------------------------
// Replies

const char* CCDDB::GetHTTPBody(const char* text) {
  if (!text) return nullptr;
  const char* blank = std::strstr(text, "\r\n\r\n");
  return blank ? blank + 4 : nullptr;
}

int CCDDB::GetStatusCode(const char* text) {
  if (!text || ::strnlen(text, 3) < 3) return -1;
  return std::atoi(std::string(text, 3).c_str());
}

int CCDDB::ReadResponse(CWSocket& socket, const char* terminator, std::string& response, int mode) {
  using Clock = std::chrono::steady_clock;
  const size_t chunk = ReceiveChunk < 2 ? 2 : static_cast<size_t>(ReceiveChunk);
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[chunk]);
  if (!buffer) ThrowCDDBSystemError(kCDDBErrorNoMemory, kCDDBFacilitySystem, "");
  const size_t terminatorLength = std::strlen(terminator);
  const long long timeout = Timeout < 0 ? 0 : Timeout;
  // Each piece must come within the time-out, and the whole reply within a
  // few of them, so a server that trickles a byte at a time cannot hold the
  // lookup for hours.
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout * kCDDBReplyTimeouts);
  auto timedOut = [&] {
    LastResponse = NarrowToString(response);
    return 0;
  };
  const size_t npos = std::string::npos;
  size_t headersScanned = 0;  // the blank line is searched only in bytes not yet seen
  size_t body = npos;         // offset of the body once the blank line has come
  bool statusKnown = false;
  bool lineReply = false;  // query mode: a status that is no list; the reply is its status line
  bool found = false;
  bool stop = false;
  try {
    while (!found && !stop) {
      const long long left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      const long long wait = std::max(0LL, std::min(timeout, left));
      if (!socket.IsReadable(static_cast<unsigned>(std::min<long long>(wait, UINT_MAX)))) return timedOut();
      int received = socket.Receive(buffer.get(), static_cast<int>(chunk - 1));
      if (received == 0) {
        // A status line cut off by the close is all the server has to say.
        if (lineReply) break;
        ThrowCDDBSystemError(kCDDBErrorConnectionClosed, kCDDBFacilityClient, NarrowToString(response));
      }
      const size_t before = response.size();
      response.append(buffer.get(), static_cast<size_t>(received));
      if (std::memchr(buffer.get(), '\0', static_cast<size_t>(received))) {
        // No CDDB reply holds a NUL byte: the reply is damaged, and parsing
        // it as text would lose whatever follows the NUL.
        LastResponse = NarrowToString(response);
        if (mode == ReadModePlain) ThrowCDDBException(kCDDBErrorBadRecord, LastResponse);
        ThrowCDDBException(kCDDBErrorNoReply, LastResponse, kCDDBNoUsableAnswerText);
      }
      if (response.size() > kCDDBMaxReplyBytes) ThrowCDDBSystemError(EMSGSIZE, kCDDBFacilitySystem, "");
      if (mode != ReadModePlain) {
        if (body == npos) {
          // Back up three bytes for a blank line split between two pieces.
          const size_t from = headersScanned > 3 ? headersScanned - 3 : 0;
          const char* start = response.c_str();
          const char* at = GetHTTPBody(start + from);
          headersScanned = response.size();
          if (at) body = static_cast<size_t>(at - start);
        }
        // The status is judged once its three digits are in: a piece that
        // ends inside them says nothing yet.
        if (body != npos && !statusKnown && response.size() - body >= 3) {
          statusKnown = true;
          const int status = GetStatusCode(response.c_str() + body);
          lineReply = status < 210 || status > 219;
        }
        // Such a reply is parsed only once its status line is whole.
        if (lineReply) stop = response.find("\r\n", std::max(body, before > 0 ? before - 1 : 0)) != npos;
      }
      // Start early enough to find a terminator split between two pieces.
      size_t back = static_cast<size_t>(received) + terminatorLength - 1;
      size_t from = response.size() > back ? response.size() - back : 0;
      found = response.find(terminator, from) != npos;
      if (!found && !stop && Clock::now() >= deadline) return timedOut();
    }
  } catch (const CWSocketException& e) {
    ThrowCDDBSystemError(e.Error, kCDDBFacilitySystem, "");
  } catch (const std::bad_alloc&) {
    ThrowCDDBSystemError(kCDDBErrorNoMemory, kCDDBFacilitySystem, "");
  }
  LastResponse = NarrowToString(response);
  return 1;
}

// ---------------------------------------------------------------------------
// Requests

void CCDDB::ConnectFor(CWSocket& socket, const CCDDBSite& site) {
  socket.Create(false);
  // A host that never answers fails after the time-out, not after the
  // system's minutes of retries. A time-out of 0 or less leaves it to the system.
  const int timeout = Timeout > 0 ? Timeout : -1;
  if (!ProxyHost.empty()) {
    socket.Connect(ProxyHost, ProxyPort, timeout);
  } else {
    socket.Connect(site.Host, site.Port, timeout);
  }
}

void CCDDB::SendRequest(CWSocket& socket, const std::string& request) {
  std::string bytes = StringToNarrow(request);
  // A blocking stream socket takes a request this small in one call; the
  // loop only guards against a send cut short by the system.
  size_t sent = 0;
  while (sent < bytes.size()) {
    sent += static_cast<size_t>(socket.Send(bytes.data() + sent, static_cast<int>(bytes.size() - sent)));
  }
}

void CCDDB::Query(const CCDDBSite& site, uint32_t discId, const std::vector<CCDDBTrackPosition>& positions,
                  std::vector<CCDDBQueryResult>& results) {
  results.clear();
  CWSocket socket;
  // Runs at once when the stop was asked for already.
  std::stop_callback abort(stop_, [&socket] { socket.Abort(); });
  try {
    ConnectFor(socket, site);
    if (positions.empty()) throw std::invalid_argument("CCDDB::Query: no track positions");
    const std::string id = fmt::sprintf("%08x", discId);
    const size_t tracks = positions.size() - 1;
    std::string offsets;
    for (size_t i = 0; i < tracks; ++i) {
      const CCDDBTrackPosition& p = positions[i];
      if (i > 0) offsets += '+';
      offsets += fmt::sprintf("%d", p.Minute * 4500 + p.Second * 75 + p.Frame);
    }
    const CCDDBTrackPosition& leadOut = positions.back();
    const std::string count = fmt::sprintf("%d", tracks);
    const std::string length = fmt::sprintf("%d", leadOut.Minute * 60 + leadOut.Second);
    std::string request =
        ProxyHost.empty()
            ? fmt::sprintf("GET %s?cmd=cddb+query+%s+%s+%s+%s&%s HTTP/1.0\r\n\r\n", site.Address, id, count,
                           offsets, length, GetHelloCommand())
            : fmt::sprintf("GET http://%s%s?cmd=cddb+query+%s+%s+%s+%s&%s HTTP/1.0\r\n%s\r\n\r\n", site.Host,
                           site.Address, id, count, offsets, length, GetHelloCommand(),
                           GetProxyHeaders(site));
    SendRequest(socket, request);
    std::string reply;
    reply.reserve(4096);
    // Both fail with the same code; only the time-out speaks of time.
    if (!ReadResponse(socket, kTerminator, reply, ReadModeQuery))
      ThrowCDDBException(kCDDBErrorNoReply, LastResponse);
    if (!ParseQueryBody(GetHTTPBody(reply.c_str()), id, results))
      ThrowCDDBException(kCDDBErrorNoReply, LastResponse, kCDDBNoUsableAnswerText);
  } catch (const CWSocketException& e) {
    ThrowCDDBSystemError(e.Error, kCDDBFacilitySystem, "");
  }
}

void CCDDB::Read(const CCDDBSite& site, uint32_t discId, const std::string& category, CCDDBRecord& record) {
  CWSocket socket;
  std::stop_callback abort(stop_, [&socket] { socket.Abort(); });
  try {
    ConnectFor(socket, site);
    const std::string id = fmt::sprintf("%08x", discId);
    std::string request =
        ProxyHost.empty()
            ? fmt::sprintf("GET %s?cmd=cddb+read+%s+%s&%s HTTP/1.0\r\n\r\n", site.Address, category, id,
                           GetHelloCommand())
            : fmt::sprintf("GET http://%s%s?cmd=cddb+read+%s+%s&%s HTTP/1.0\r\n%s\r\n\r\n", site.Host,
                           site.Address, category, id, GetHelloCommand(), GetProxyHeaders(site));
    SendRequest(socket, request);
    std::string reply;
    reply.reserve(4096);
    if (!ReadResponse(socket, kTerminator, reply, ReadModePlain))
      ThrowCDDBException(kCDDBErrorNoReply, LastResponse);
    if (!ParseRecordBody(GetHTTPBody(reply.c_str()), record))
      ThrowCDDBException(kCDDBErrorBadRecord, LastResponse);
  } catch (const CWSocketException& e) {
    ThrowCDDBSystemError(e.Error, kCDDBFacilitySystem, "");
  }
  if (record.DiscID != discId) {
    CDDBExceptionText = fmt::sprintf(
        "CCDDB::Read, Returned DiscID from CDDB read (%08x) is different than the computed value (%08x), "
        "using "
        "the computed value",
        record.DiscID, discId);
    host_->AddLog(CDDBExceptionText, LogInfo);
    record.DiscID = discId;
  }
}

// ---------------------------------------------------------------------------
// xmcd text in files

std::string CCDDB::FormatKeyValueLine(const std::string& key, const std::string& value) {
  std::string escaped = value;
  EscapeValue(escaped);
  // Each "key=piece" line holds at most 254 characters. A piece never ends
  // inside a multi-byte character or between a backslash and the character
  // it escapes, so every line unescapes on its own.
  size_t keyChars = 0;
  for (unsigned char c : key) keyChars += (c & 0xC0) != 0x80;
  const size_t room = keyChars + 1 < 252 ? 254 - keyChars - 1 : 2;
  std::string lines;
  size_t at = 0;
  do {
    size_t end = at;
    size_t chars = 0;
    while (end < escaped.size() && chars < room) {
      size_t step = escaped[end] == '\\' ? 2 : 1;
      if (step == 2 && chars + 2 > room) break;
      for (size_t k = 0; k < step && end < escaped.size(); ++k) {
        ++end;
        while (end < escaped.size() && (static_cast<unsigned char>(escaped[end]) & 0xC0) == 0x80) ++end;
      }
      chars += step;
    }
    lines += fmt::sprintf("%s=%s\r\n", key, escaped.substr(at, end - at));
    at = end;
  } while (at < escaped.size());
  return lines;
}

void CCDDB::ReadLocalFile(uint32_t discId, const std::string& path, bool singleRecord, CCDDBRecord& record) {
  auto cannotOpen = [&](int error) {
    if (error == 0) error = ENOENT;
    if (singleRecord) ThrowCDDBSystemError(error, kCDDBFacilitySystem, "");
    ThrowCDDBException(static_cast<uint32_t>(error), "");
  };
  // Only a regular file is read: a FIFO in its place would block the open.
  errno = 0;
  const int fd = OpenRegularFileForRead(path);
  if (fd < 0) cannotOpen(errno);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(::fdopen(fd, "rb"), &std::fclose);
  if (!file) {
    const int error = errno;
    ::close(fd);
    cannotOpen(error);
  }
  std::string text;
  if (singleRecord) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) ThrowCDDBSystemError(errno ? errno : EIO, kCDDBFacilitySystem, "");
    const unsigned long long size = static_cast<unsigned long long>(info.st_size);
    if (size >= kMaxLocalFile) ThrowCDDBSystemError(kCDDBErrorFileTooLarge, kCDDBFacilityClient, "");
    if (size == 0) ThrowCDDBSystemError(kCDDBErrorFileEmpty, kCDDBFacilityClient, "");
    text.resize(static_cast<size_t>(size));
    text.resize(std::fread(text.data(), 1, text.size(), file.get()));
    // A record holds no NUL byte; parsing up to one would lose the rest.
    if (text.find('\0') != std::string::npos) {
      ThrowCDDBSystemError(kCDDBErrorFileNotParsed, kCDDBFacilityClient, "");
    }
  } else {
    const std::string header = fmt::sprintf("#FILENAME=%08X", discId);
    bool inside = false;
    bool found = false;
    char* raw = nullptr;
    size_t capacity = 0;
    for (ssize_t length; (length = ::getline(&raw, &capacity, file.get())) >= 0;) {
      std::string line(raw, static_cast<size_t>(length));
      if (!line.empty() && line.back() == '\n') line.pop_back();
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (inside && line.find("#FILENAME") != std::string::npos) break;
      if (inside) text += line + "\r\n";  // every line ended, so the last one is not lost
      if (!inside && line == header) inside = found = true;
    }
    std::free(raw);
    if (!found) ThrowCDDBSystemError(kCDDBErrorNoFileSection, kCDDBFacilityClient, "");
  }
  if (!ParseRecordBodyHelper(record, text.c_str())) {
    ThrowCDDBSystemError(kCDDBErrorFileNotParsed, kCDDBFacilityClient, "");
  }
}
