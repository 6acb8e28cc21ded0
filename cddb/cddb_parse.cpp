// The CDDB client's parsers: query lists, xmcd disc records, and the
// replies of the server's other commands (sites, stat, text, submission),
// plus the xmcd escaping of values.
#include <fmt/format.h>
#include <fmt/printf.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

#include "cddb/cddb.h"
#include "cddb/cddb_globals.h"

namespace {

// Track and extended-track numbers a record may use (TTITLE0-TTITLE99).
constexpr int kMaxTrackIndex = 99;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The tail of `text` from `offset` on; empty when the text is shorter.
std::string From(const std::string& text, size_t offset) {
  return offset < text.size() ? text.substr(offset) : std::string();
}

// atoi without its undefined behaviour: out-of-range values are clamped.
int ToInt(const std::string& text) {
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// A "%x" scan: leading blanks and an optional 0x are skipped, digits are read
// up to the first other character. False when there was no digit.
bool ScanHex(const std::string& text, uint32_t& value) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
      std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
    i += 2;
  }
  uint32_t result = 0;
  size_t digits = 0;
  for (; i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])); ++i, ++digits) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    result = result << 4 | static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
  }
  if (digits == 0) return false;
  value = result;
  return true;
}

// Words separated by runs of blanks.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

// Replaces every `from` in `text` by `to`, left to right.
void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  std::string out;
  size_t at = 0;
  for (size_t hit; (hit = text.find(from, at)) != std::string::npos; at = hit + from.size()) {
    out.append(text, at, hit - at);
    out += to;
  }
  out.append(text, at, std::string::npos);
  text = out;
}

// The two rules that split a disc title "artist / title", side by side.
//
// A record's DTITLE follows the xmcd rule: it splits at its first " / " only,
// and without one both artist and title get the whole text, so a name like
// "AC/DC" is never cut.
void SplitRecordTitle(const std::string& text, std::string& artist, std::string& title) {
  const size_t at = text.find(" / ");
  artist = at == std::string::npos ? text : text.substr(0, at);
  title = at == std::string::npos ? text : text.substr(at + 3);
}

// A line of a query's match list is written more loosely by servers: it
// splits at its first " / ", else at its first "/", each side trimmed; without
// any slash the artist stays empty and the title keeps its blanks.
void SplitMatchTitle(const std::string& text, std::string& artist, std::string& title) {
  size_t at = text.find(" / ");
  size_t length = 3;
  if (at == std::string::npos) {
    at = text.find('/');
    length = 1;
  }
  if (at == std::string::npos) {
    title = text;
    return;
  }
  artist = Trim(text.substr(0, at));
  title = Trim(text.substr(at + length));
}

bool IsListStatus(int status) { return status >= 210 && status <= 219; }

// The lines of a reply body after its status line; an unterminated last
// piece is no line. Returns false when the body is not a list.
template <typename Visit>
bool ForEachListLine(CCDDB& client, const char* body, Visit visit) {
  if (!IsListStatus(client.GetStatusCode(body))) return false;
  const char* cursor = body;
  std::string line;
  client.GetNextLine(cursor, line);
  while (cursor) {
    std::string next;
    client.GetNextLine(cursor, next);
    if (!cursor) break;
    visit(next);
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Line helpers

void CCDDB::GetNextLine(const char*& cursor, std::string& line) {
  if (!cursor) return;
  // A line ends at the first line feed, with or without a carriage return
  // before it, so text with mixed line ends still splits into its lines.
  const char* end = std::strchr(cursor, '\n');
  if (!end) {
    cursor = nullptr;
    return;
  }
  line.assign(cursor, end > cursor && end[-1] == '\r' ? end - 1 : end);
  cursor = end + 1;
}

int CCDDB::IsCommentLine(const std::string& line, std::string& comment) {
  if (line.empty() || line[0] != '#') return 0;
  comment = Trim(line.substr(1));
  return 1;
}

int CCDDB::SplitKeyValue(const std::string& line, std::string& key, std::string& value) {
  size_t equals = line.find('=');
  if (equals == std::string::npos) return 0;
  std::string keyText = line.substr(0, equals);
  // One pass from left to right: an escaped backslash is consumed together
  // with its escape, so "\\n" reads as a backslash and an "n", never as a
  // backslash and a line feed. Other backslashes stay as they are.
  std::string unescaped;
  for (size_t i = equals + 1; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\\' && i + 1 < line.size()) {
      char next = line[i + 1];
      if (next == 'n' || next == 't' || next == '\\') {
        unescaped += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
        ++i;
        continue;
      }
    }
    unescaped += c;
  }
  key = std::move(keyText);
  value = std::move(unescaped);
  return 1;
}

int CCDDB::SplitColonPair(const std::string& line, std::string& key, std::string& value) {
  size_t colon = line.find(':');
  if (colon == std::string::npos) return 0;
  key = Trim(line.substr(0, colon));
  value = Trim(line.substr(colon + 1));
  return 1;
}

void CCDDB::EscapeValue(std::string& value) {
  ReplaceAll(value, "\\", "\\\\");
  ReplaceAll(value, "\n", "\\n");
  ReplaceAll(value, "\t", "\\t");
}

// ---------------------------------------------------------------------------
// Query replies

int CCDDB::ParseQueryBody(const char* body, const std::string& discIdText,
                          std::vector<CCDDBQueryResult>& results) {
  const int status = GetStatusCode(body);
  if (IsListStatus(status)) {
    const size_t before = results.size();
    size_t dropped = 0;
    const char* cursor = body;
    std::string line;
    GetNextLine(cursor, line);  // the status line
    while (cursor) {
      std::string next;
      GetNextLine(cursor, next);
      CCDDBQueryResult result;
      if (!ParseQueryLine(result, next)) continue;
      if (results.size() - before < kCDDBMaxMatches) {
        results.push_back(result);
      } else {
        ++dropped;
      }
    }
    if (dropped > 0) {
      host_->AddLog(
          fmt::format("CCDDB::ParseQueryBody, CDDB server returned {} matches, only the first {} are used",
                      kCDDBMaxMatches + dropped, kCDDBMaxMatches),
          LogInfo);
    }
    return results.size() > before ? 1 : 0;
  }
  if (status == 200) {
    if (std::strlen(body) < 5) return 0;
    CCDDBQueryResult result;
    if (!ParseQueryLine(result, body + 4)) return 0;
    results.push_back(result);
    return 1;
  }
  if (status == 202) {
    CDDBExceptionText = fmt::sprintf(
        "CCDDB::ParseQueryBody, CDDB server does not contain the specifed album with DISCID:%s in its "
        "database",
        discIdText);
    ReportFailure(CDDBExceptionText);
  }
  return 0;
}

int CCDDB::ParseQueryLine(CCDDBQueryResult& result, const std::string& line) {
  size_t at = line.find_first_not_of(' ');
  if (at == std::string::npos) return 0;
  size_t end = line.find(' ', at);
  result.Category = NarrowToString(line.substr(at, end - at));
  if (end == std::string::npos || (at = line.find_first_not_of(' ', end)) == std::string::npos) return 0;
  end = line.find(' ', at);
  ScanHex(line.substr(at, end - at), result.DiscID);
  std::string rest = end == std::string::npos ? std::string() : line.substr(end + 1);
  size_t cut = rest.find("\r\n");
  if (cut == std::string::npos) cut = rest.find('\n');
  SplitMatchTitle(NarrowToString(rest.substr(0, cut)), result.Artist, result.Title);
  return 1;
}

// ---------------------------------------------------------------------------
// Disc records

int CCDDB::ParseRecordBody(const char* body, CCDDBRecord& record) {
  // Only a 21x reply carries a record; anything else is a failed read, not
  // an empty record.
  if (!IsListStatus(GetStatusCode(body))) return 0;
  const char* cursor = body;
  std::string statusLine;
  GetNextLine(cursor, statusLine);
  return ParseRecordBodyHelper(record, cursor);
}

namespace {

// What a record's text has shown so far. Values stay undecoded bytes until
// the end, so a value split over several lines (even inside a multi-byte
// character) is decoded as one.
struct RecordScan {
  bool xmcd = false, inOffsets = false, discLength = false, submittedVia = false, discId = false,
       discTitle = false;
  std::string title, genre, extended, playOrder;
  std::vector<std::string> trackTitles, trackExtended;
};

// Appends to entry n of a per-track list, growing or cutting the list to
// n + 1 entries. Numbers outside 0-99 are no track and are ignored.
void AppendTrackValue(std::vector<std::string>& list, const std::string& number, const std::string& value) {
  int n = ToInt(number);
  if (n < 0 || n > kMaxTrackIndex) return;
  list.resize(static_cast<size_t>(n) + 1);
  list[static_cast<size_t>(n)] += value;
}

void ScanKeyValue(RecordScan& scan, CCDDBRecord& record, const std::string& key, const std::string& value) {
  if (key == "DISCID") {
    if (value.size() >= 8) {
      ScanHex(value, record.DiscID);
      scan.discId = true;
    }
  } else if (key == "DTITLE") {
    scan.discTitle = true;
    scan.title += value;
  } else if (key == "DYEAR") {
    record.Year = ToInt(value);
  } else if (key == "DGENRE") {
    scan.genre += value;
  } else if (StartsWith(key, "TTITLE")) {
    AppendTrackValue(scan.trackTitles, key.substr(6), value);
  } else if (key == "EXTD") {
    scan.extended += value;
  } else if (StartsWith(key, "EXTT")) {
    AppendTrackValue(scan.trackExtended, key.substr(4), value);
  } else if (key == "PLAYORDER") {
    scan.playOrder += value;
  }
}

// The first thing a parsed record lacks, in the order they are checked, or
// null when it is whole.
const char* MissingPart(const RecordScan& scan, const CCDDBRecord& record) {
  if (!scan.xmcd) return "a XMCD comment line";
  if (record.TrackOffsets.empty()) return "any Track frame offset lines";
  if (!scan.discLength) return "a Disc length line";
  if (!scan.submittedVia) return "a Submitted via line";
  if (!scan.discId) return "a DISCID line";
  if (!scan.discTitle) return "a DTITLE line";
  if (record.TrackTitles.size() != record.ExtendedTrackData.size()) {
    return "an equal amount of TTITLE lines to EXTT lines";
  }
  return nullptr;
}

}  // namespace

int CCDDB::ParseRecordBodyHelper(CCDDBRecord& record, const char* text) {
  record = CCDDBRecord();
  RecordScan scan;
  const char* cursor = text ? text : "";
  while (cursor) {
    std::string line;
    GetNextLine(cursor, line);
    std::string comment, key, value;
    if (IsCommentLine(line, comment)) {
      if (StartsWith(comment, "xmcd")) {
        scan.xmcd = true;
      } else if (comment.find("Track frame offsets:") != std::string::npos) {
        scan.inOffsets = true;
      } else if (StartsWith(comment, "Disc length:")) {
        scan.inOffsets = false;
        scan.discLength = true;
        record.DiscLength = ToInt(From(comment, 13));
      } else if (StartsWith(comment, "Revision:")) {
        record.Revision = ToInt(From(comment, 9));
      } else if (StartsWith(comment, "Submitted via:")) {
        scan.submittedVia = true;
        std::vector<std::string> words = Words(From(comment, 14));
        if (words.size() < 2) {
          ReportFailure(
              "CCDDB::ParseRecordBodyHelper, CDDB server failed to return a record with a valid "
              "Submitted via: line.");
          return 0;
        }
        record.SubmittedViaClient = NarrowToString(words[0]);
        record.SubmittedViaVersion = NarrowToString(words[1]);
        record.SubmittedViaComment = words.size() > 2 ? NarrowToString(words[2]) : std::string();
      } else if (scan.inOffsets && !comment.empty()) {
        record.TrackOffsets.push_back(ToInt(comment));
      }
    } else if (SplitKeyValue(line, key, value)) {
      ScanKeyValue(scan, record, key, value);
    }
  }

  record.Genre = NarrowToString(scan.genre);
  record.ExtendedData = NarrowToString(scan.extended);
  for (const std::string& title : scan.trackTitles) record.TrackTitles.push_back(NarrowToString(title));
  for (const std::string& extra : scan.trackExtended)
    record.ExtendedTrackData.push_back(NarrowToString(extra));

  const char* missing = MissingPart(scan, record);
  if (missing) {
    ReportFailure(
        fmt::format("CCDDB::ParseRecordBodyHelper, CDDB server failed to return a record with {}.", missing));
    return 0;
  }

  SplitRecordTitle(NarrowToString(scan.title), record.Artist, record.Title);
  std::string order = NarrowToString(scan.playOrder);
  std::vector<std::string> pieces;
  std::istringstream in(order);
  for (std::string piece; std::getline(in, piece, ',');) pieces.push_back(piece);
  // getline drops the empty piece after a final comma, as wanted.
  for (const std::string& piece : pieces) record.PlayOrder.push_back(ToInt(piece));
  return 1;
}

// ---------------------------------------------------------------------------
// Replies of the other commands

int CCDDB::ParseSitesBody(const char* body, std::vector<CCDDBSite>& sites) {
  return ForEachListLine(*this, body,
                         [&](const std::string& line) {
                           if (line == ".") return;
                           CCDDBSite site(1);
                           if (ParseSitesLine(site, line)) sites.push_back(site);
                         })
             ? 1
             : 0;
}

namespace {

// "N037.23" style: a letter from `letters` (first means 1), then ddd.mm.
bool ParseCoordinate(const std::string& word, const char letters[2], int& positive, int& minutes) {
  if (word.size() != 7 || (word[0] != letters[0] && word[0] != letters[1])) return false;
  positive = word[0] == letters[0] ? 1 : 0;
  minutes = ToInt(word.substr(1, 3)) * 60 + ToInt(word.substr(5, 2));
  return true;
}

}  // namespace

int CCDDB::ParseSitesLine(CCDDBSite& site, const std::string& line) {
  const bool full = ProtocolLevel >= 3;
  const size_t wanted = full ? 6 : 4;
  std::vector<std::string> words;
  size_t at = 0;
  while (words.size() < wanted) {
    at = line.find_first_not_of(' ', at);
    if (at == std::string::npos) return 0;
    size_t end = line.find(' ', at);
    words.push_back(line.substr(at, end - at));
    at = end;
  }
  size_t i = 0;
  site.Host = NarrowToString(words[i++]);
  site.Protocol = full ? NarrowToString(words[i++]) : std::string();
  site.Port = ToInt(words[i++]);
  site.Address = full ? NarrowToString(words[i++]) : std::string();
  if (!ParseCoordinate(words[i++], "NS", site.North, site.Latitude)) return 0;
  if (!ParseCoordinate(words[i++], "EW", site.East, site.Longitude)) return 0;
  size_t rest = at == std::string::npos ? std::string::npos : line.find_first_not_of(' ', at);
  site.Description = rest == std::string::npos ? std::string() : NarrowToString(line.substr(rest));
  return 1;
}

int CCDDB::ParseLinesBody(const char* body, std::vector<std::string>& lines) {
  return ForEachListLine(*this, body,
                         [&](const std::string& line) {
                           if (!line.empty() && line != ".") lines.push_back(NarrowToString(line));
                         })
             ? 1
             : 0;
}

int CCDDB::ParseStatusBody(const char* body, CCDDBStatus& status) {
  enum class Section { Server, Categories, Pending } section = Section::Server;
  const char* badFlag = nullptr;
  auto flag = [&](const std::string& value, bool& target, const char* name) {
    if (value == "yes" || value == "no") {
      target = value == "yes";
    } else if (!badFlag) {
      badFlag = name;
    }
  };
  bool list = ForEachListLine(*this, body, [&](const std::string& line) {
    std::string key, value;
    if (badFlag || !SplitColonPair(line, key, value)) return;
    if (key == "Database entries by category") {
      section = Section::Categories;
    } else if (key == "Pending File transmissions") {
      section = Section::Pending;
    } else if (section == Section::Categories) {
      status.CategoryNames.push_back(NarrowToString(key));
      status.CategoryCounts.push_back(ToInt(value));
    } else if (section == Section::Pending) {
      status.PendingNames.push_back(NarrowToString(key));
      status.PendingCounts.push_back(ToInt(value));
    } else if (key == "current proto") {
      status.CurrentProtocol = ToInt(value);
    } else if (key == "max proto") {
      status.MaxProtocol = ToInt(value);
    } else if (key == "gets") {
      flag(value, status.Gets, "gets");
    } else if (key == "updates") {
      flag(value, status.Updates, "updates");
    } else if (key == "posting") {
      flag(value, status.Posting, "posting");
    } else if (key == "quotes") {
      flag(value, status.Quotes, "quotes");
    } else if (key == "current users") {
      status.CurrentUsers = ToInt(value);
    } else if (key == "max users") {
      status.MaxUsers = ToInt(value);
    } else if (key == "strip ext") {
      flag(value, status.StripExtended, "strip extended");
    } else if (key == "Database entries") {
      status.DatabaseEntries = ToInt(value);
    }
  });
  if (!list) return 0;
  if (badFlag) {
    ReportFailure(fmt::format(
        "CCDDB::ParseStatusBody, CDDB server failed to return a valid {} response to the stat command.",
        badFlag));
    return 0;
  }
  return 1;
}

int CCDDB::ParseTextBody(const char* body, std::string& text) {
  std::string narrow;
  bool any = false;
  bool list = ForEachListLine(*this, body, [&](const std::string& line) {
    any = true;
    if (line != ".") narrow += line + "\r\n";
  });
  if (!list) return 0;
  text = NarrowToString(narrow);
  return any ? 1 : 0;
}

int CCDDB::ParseSubmitResponse(const char* body) {
  int status = GetStatusCode(body);
  if (status >= 200 && status <= 209) {
    host_->MessageBox("Successfully Submitted!");
    host_->AddLog("CDDB info successfully submitted.", LogInfo);
    return 1;
  }
  std::string text = "Fail to Submit CDDB Info!  " + fmt::sprintf("Response Code: %d", status);
  host_->MessageBox(text);
  host_->AddLog(text, LogError);
  return 0;
}
