// The client's parsers on the xmcd records in tests/data/xmcd and on damaged
// variants of them, without any network.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cddb/cddb.h"
#include "cddb/cddb_globals.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Record(const std::string& name) {
  return ReadFile(std::string(QCR_TEST_DATA_DIR) + "/xmcd/" + name);
}

std::string CrLf(const std::string& text) { return std::regex_replace(text, std::regex("\r?\n"), "\r\n"); }

// A read reply's body around a record.
std::string ReadBody(const std::string& record, const std::string& status = "210") {
  return status + " rock 0c016602 CD database entry follows (until terminating `.')\r\n" + CrLf(record) +
         ".\r\n";
}

class Parse : public ::testing::Test {
 protected:
  void SetUp() override { client.SetHost(&host); }

  // Parses `record` as a read reply body; on failure expects exactly one log
  // line, followed by one clearing of the results.
  int ParseRecord(const std::string& record, std::string* failure = nullptr) {
    host.Reset();
    int ok = client.ParseRecordBody(ReadBody(record).c_str(), parsed);
    auto calls = host.Calls();
    if (!ok && failure && calls.size() == 2 && calls[0].level == LogError &&
        calls[1].kind == CRecordingCDDBHost::Kind::Clear) {
      *failure = calls[0].text;
    }
    if (ok) {
      EXPECT_TRUE(calls.empty());
    }
    return ok;
  }

  CCDDB client;
  CRecordingCDDBHost host;
  CCDDBRecord parsed;
};

TEST_F(Parse, APlainRecordFillsEveryField) {
  ASSERT_EQ(ParseRecord(Record("rock/0c016602")), 1);
  EXPECT_EQ(parsed.TrackOffsets, (std::vector<int>{150, 14265}));
  EXPECT_EQ(parsed.DiscLength, 360);
  EXPECT_EQ(parsed.Revision, 3);
  EXPECT_EQ(parsed.SubmittedViaClient, "ExampleTagger");
  EXPECT_EQ(parsed.SubmittedViaVersion, "2.4");
  EXPECT_EQ(parsed.SubmittedViaComment, "beta");
  EXPECT_EQ(parsed.DiscID, 0x0c016602u);
  EXPECT_EQ(parsed.Artist, "The Examples");
  EXPECT_EQ(parsed.Title, "Two Tracks");
  EXPECT_EQ(parsed.Year, 1998);
  EXPECT_EQ(parsed.Genre, "Rock");
  EXPECT_EQ(parsed.TrackTitles, (std::vector<std::string>{"Opening Number", "Closing Number"}));
  EXPECT_EQ(parsed.ExtendedTrackData, (std::vector<std::string>{"", ""}));
  EXPECT_TRUE(parsed.PlayOrder.empty());
}

TEST_F(Parse, ContinuedValuesAreJoinedAsBytesAndDecodedOnce) {
  ASSERT_EQ(ParseRecord(Record("misc/5605dc06")), 1);
  EXPECT_EQ(parsed.Artist, "Sigríður Ólafsdóttir");
  EXPECT_EQ(parsed.Title, "Ljóð og lög");
  ASSERT_EQ(parsed.TrackTitles.size(), 6u);
  EXPECT_EQ(parsed.TrackTitles[1], "Café Society");  // é split between two lines
  EXPECT_EQ(parsed.TrackTitles[2], "Tab\there\\slash");
  EXPECT_EQ(parsed.TrackTitles[3], "Rain — Snow");  // a three-byte character split
  EXPECT_EQ(parsed.TrackTitles[4], "Kvæði");
  EXPECT_EQ(
      parsed.ExtendedData,
      "Recorded live in Reykjavík.\nSecond line of notes, continued on a second line. YEAR: 2003 ID3G: 255");
  EXPECT_EQ(parsed.ExtendedTrackData[1], "Guest: ♪ piano");
  EXPECT_EQ(parsed.ExtendedTrackData[5], "Hidden track follows after silence");
  EXPECT_EQ(parsed.PlayOrder, (std::vector<int>{6, 1, 2, 3}));
  EXPECT_EQ(parsed.TrackOffsets.size(), 6u);
}

TEST_F(Parse, TextIsLatin1BelowLevelSixAndNeverFailsToDecode) {
  client.SetProtocolLevel(5);
  ASSERT_EQ(ParseRecord(Record("folk/24033203")), 1);
  EXPECT_EQ(parsed.Artist, "José González Trio");
  EXPECT_EQ(parsed.Title, "Canción del Mar");
  EXPECT_EQ(parsed.TrackTitles, (std::vector<std::string>{"Mañana", "Señor Garçon", "À bientôt"}));
  EXPECT_EQ(parsed.ExtendedData, "© 1979");

  client.SetProtocolLevel(6);  // the same bytes read as UTF-8: replaced, not lost
  ASSERT_EQ(ParseRecord(Record("folk/24033203")), 1);
  EXPECT_EQ(parsed.TrackTitles[0],
            "Ma\xEF\xBF\xBD"
            "ana");
}

TEST_F(Parse, TrackNumbersOutsideTheDiscAreIgnored) {
  ASSERT_EQ(ParseRecord(Record("data/0500f802")), 1);
  EXPECT_EQ(parsed.TrackTitles, (std::vector<std::string>{"First", "Second"}));
  EXPECT_EQ(parsed.ExtendedTrackData, (std::vector<std::string>{"", ""}));
}

// One line of the plain record replaced (or removed, with an empty
// replacement) gives the failure named.
struct Damage {
  const char* line;
  const char* replacement;
  const char* missing;
};

TEST_F(Parse, ARecordLackingALineFailsWithItsMessage) {
  const Damage cases[] = {
      {"# xmcd", "# cddb", "a XMCD comment line"},
      {"# Track frame offsets:", "", "any Track frame offset lines"},
      {"# Disc length: 360 seconds", "", "a Disc length line"},
      {"# Submitted via: ExampleTagger 2.4 beta", "", "a Submitted via line"},
      {"# Submitted via: ExampleTagger 2.4 beta", "# Submitted via: OnlyOneWord",
       "a valid Submitted via: line"},
      {"DISCID=0c016602", "DISCID=0c01660", "a DISCID line"},
      {"DTITLE=The Examples / Two Tracks", "", "a DTITLE line"},
      {"EXTT1=", "", "an equal amount of TTITLE lines to EXTT lines"},
      {"EXTT1=", "EXTT2=", "an equal amount of TTITLE lines to EXTT lines"},
  };
  const std::string good = Record("rock/0c016602");
  for (const Damage& d : cases) {
    std::string record = good;
    size_t at = record.find(std::string(d.line) + "\n");
    ASSERT_NE(at, std::string::npos) << d.line;
    record.replace(at, std::strlen(d.line) + 1, *d.replacement ? std::string(d.replacement) + "\n" : "");
    std::string failure;
    EXPECT_EQ(ParseRecord(record, &failure), 0) << d.line;
    EXPECT_EQ(failure,
              std::string("CCDDB::ParseRecordBodyHelper, CDDB server failed to return a record with ") +
                  d.missing + ".");
  }
  // Text that is no record at all, or nothing.
  EXPECT_EQ(ParseRecord("<html>Service Unavailable</html>\n"), 0);
  EXPECT_EQ(client.ParseRecordBodyHelper(parsed, nullptr), 0);
}

// Lines added to or replaced in the plain record, and what they give.
TEST_F(Parse, FieldEdgeCases) {
  const std::string good = Record("rock/0c016602");
  auto with = [&](const std::string& from, const std::string& to) {
    std::string record = good;
    record.replace(record.find(from), from.size(), to);
    return record;
  };
  ASSERT_EQ(ParseRecord(with("TTITLE0=Opening Number\n", "TTITLE0=One\\nA\nTTITLE0=B\\n\n")), 1);
  EXPECT_EQ(parsed.TrackTitles[0], "One\nAB\n");  // appended, each line unescaped on its own
  ASSERT_EQ(ParseRecord(with("TTITLE1=Closing Number\n", "TTITLE2=Late\nTTITLE1=Closing Number\n")), 1);
  EXPECT_EQ(parsed.TrackTitles.size(), 2u);  // entry 2 dropped when TTITLE1 resized the list
  ASSERT_EQ(ParseRecord(with("# Disc length: 360 seconds", "# Disc length:3245")), 1);
  EXPECT_EQ(parsed.DiscLength, 245);
  ASSERT_EQ(ParseRecord(with("# Disc length: 360 seconds", "# Disc length:")), 1);
  EXPECT_EQ(parsed.DiscLength, 0);
  ASSERT_EQ(ParseRecord(with("DTITLE=The Examples / Two Tracks", "DTITLE=Examples/Two")), 1);
  EXPECT_EQ(parsed.Artist, "Examples/Two");
  EXPECT_EQ(parsed.Title, "Examples/Two");
  ASSERT_EQ(ParseRecord(with("DYEAR=1998\n", "DYEAR=1998\nDYEAR=2001\n")), 1);
  EXPECT_EQ(parsed.Year, 2001);
  ASSERT_EQ(ParseRecord(with("2.4 beta", "2.4 beta extra words")), 1);
  EXPECT_EQ(parsed.SubmittedViaComment, "beta");
  ASSERT_EQ(ParseRecord(with("2.4 beta", "2.4")), 1);
  EXPECT_EQ(parsed.SubmittedViaComment, "");
  ASSERT_EQ(ParseRecord(with("#\t14265", "#\tnot a number")), 1);
  EXPECT_EQ(parsed.TrackOffsets, (std::vector<int>{150, 0}));
  ASSERT_EQ(ParseRecord(with("DISCID=0c016602", "DISCID=0c016602,7a0b3c0b")), 1);
  EXPECT_EQ(parsed.DiscID, 0x0c016602u);

  const std::pair<const char*, std::vector<int>> orders[] = {
      {"3,1,2", {3, 1, 2}}, {"", {}}, {"1,,2", {1, 0, 2}}, {"4,", {4}}, {"x,2", {0, 2}}};
  for (const auto& [text, expected] : orders) {
    ASSERT_EQ(ParseRecord(with("PLAYORDER=", std::string("PLAYORDER=") + text)), 1);
    EXPECT_EQ(parsed.PlayOrder, expected) << text;
  }
}

TEST_F(Parse, TenTitlesNeedTenExtendedLines) {
  std::string record = Record("rock/0c016602");
  record = record.substr(0, record.find("TTITLE0="));
  for (int i = 0; i < 10; ++i) record += "TTITLE" + std::to_string(i) + "=Song\n";
  EXPECT_EQ(ParseRecord(record), 0);
  for (int i = 0; i < 10; ++i) record += "EXTT" + std::to_string(i) + "=\n";
  EXPECT_EQ(ParseRecord(record), 1);
}

TEST_F(Parse, OnlyAListStatusCarriesARecord) {
  const std::string record = Record("rock/0c016602");
  EXPECT_EQ(client.ParseRecordBody(ReadBody(record, "211").c_str(), parsed), 1);
  parsed.Title = "kept";
  for (const char* status : {"401", "403", "200", "2x0"}) {
    EXPECT_EQ(client.ParseRecordBody(ReadBody(record, status).c_str(), parsed), 0) << status;
  }
  EXPECT_EQ(client.ParseRecordBody(nullptr, parsed), 0);
  EXPECT_EQ(parsed.Title, "kept");
}

TEST_F(Parse, LineHelpers) {
  const char* text = "one\r\ntwo\nthree\r\n\r\nrest";
  const char* cursor = text;
  std::vector<std::string> lines;
  std::string line;
  while (true) {
    line = "unchanged";
    client.GetNextLine(cursor, line);
    if (!cursor) break;
    lines.push_back(line);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three", ""}));
  EXPECT_EQ(line, "unchanged");      // text after the last line end is no line
  client.GetNextLine(cursor, line);  // a null cursor does nothing

  std::string comment = "old";
  EXPECT_EQ(client.IsCommentLine("#  Revision: 4 \t", comment), 1);
  EXPECT_EQ(comment, "Revision: 4");
  EXPECT_EQ(client.IsCommentLine(" # not one", comment), 0);
  EXPECT_EQ(client.IsCommentLine("", comment), 0);

  std::string key = "k", value = "v";
  EXPECT_EQ(client.SplitKeyValue("no equals sign", key, value), 0);
  EXPECT_EQ(key + value, "kv");
  EXPECT_EQ(client.SplitKeyValue(" TTITLE1 = a=b\\tc\\\\d", key, value), 1);
  EXPECT_EQ(key, " TTITLE1 ");
  EXPECT_EQ(value, " a=b\tc\\d");
  EXPECT_EQ(client.SplitKeyValue("K=a\\\\n", key, value), 1);
  EXPECT_EQ(value, "a\\\n");  // line feeds are unescaped first

  EXPECT_EQ(client.SplitColonPair("  max proto :  6 ", key, value), 1);
  EXPECT_EQ(key + "|" + value, "max proto|6");
  EXPECT_EQ(client.SplitColonPair("none", key, value), 0);
}

TEST_F(Parse, QueryLines) {
  struct Case {
    const char* line;
    int ok;
    CCDDBQueryResult result;
  };
  const Case cases[] = {
      {"rock 0c016602 Artist / Title", 1, {"rock", 0x0c016602, "Artist", "Title"}},
      {"misc  0C016602   Only a title ", 1, {"misc", 0x0c016602, "", "  Only a title "}},
      {"jazz 3604b104 A/B\r\nmore", 1, {"jazz", 0x3604b104, "A", "B"}},
      {"data 12zz x", 1, {"data", 0x12, "", "x"}},
      {"data zz x", 1, {"data", 0x5a5a, "", "x"}},  // no hex digit: id unchanged
      {"data 0c016602", 1, {"data", 0x0c016602, "", ""}},
      {"onlyoneword", 0, {"onlyoneword", 0x5a5a, "", ""}},
      {"   ", 0, {"", 0x5a5a, "", ""}},
      {".", 0, {".", 0x5a5a, "", ""}},
  };
  for (const Case& c : cases) {
    CCDDBQueryResult result;
    result.DiscID = 0x5a5a;
    EXPECT_EQ(client.ParseQueryLine(result, c.line), c.ok) << c.line;
    EXPECT_EQ(result, c.result) << c.line;
  }
}

TEST_F(Parse, QueryBodies) {
  std::vector<CCDDBQueryResult> results;
  EXPECT_EQ(client.ParseQueryBody("200 rock 0c016602 The Examples / Two Tracks\r\n", "0c016602", results), 1);
  EXPECT_EQ(
      client.ParseQueryBody("210 Found exact matches\r\nblues 3604b104 A / B\r\njazz 3604b104 C / D\r\n.\r\n",
                            "3604b104", results),
      1);
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0].Title, "Two Tracks");
  EXPECT_EQ(results[2].Category, "jazz");
  EXPECT_TRUE(host.Calls().empty());

  EXPECT_EQ(client.ParseQueryBody("211 Found inexact matches\r\n.\r\n", "x", results), 0);
  EXPECT_EQ(client.ParseQueryBody("200 ", "x", results), 0);
  EXPECT_EQ(client.ParseQueryBody("200 single", "x", results), 0);
  EXPECT_EQ(client.ParseQueryBody("403 Database entry is corrupt.\r\n", "x", results), 0);
  EXPECT_EQ(client.ParseQueryBody(nullptr, "x", results), 0);
  EXPECT_TRUE(host.Calls().empty());  // none of these is reported
  EXPECT_EQ(results.size(), 3u);

  EXPECT_EQ(client.ParseQueryBody("202 No match for disc ID 0c016602.\r\n", "0c016602", results), 0);
  const std::string notice =
      "CCDDB::ParseQueryBody, CDDB server does not contain the specifed album with DISCID:0c016602 in its "
      "database";
  EXPECT_EQ(CDDBExceptionText, notice);
  ASSERT_EQ(host.Calls().size(), 2u);
  EXPECT_EQ(host.Calls()[0].text, notice);
  EXPECT_EQ(host.Calls()[0].level, LogError);
  EXPECT_EQ(host.ClearCount(), 1);
}

TEST_F(Parse, BodiesAndStatusCodes) {
  EXPECT_STREQ(client.GetHTTPBody("HTTP/1.0 200 OK\r\nA: b\r\n\r\n210 x"), "210 x");
  EXPECT_EQ(client.GetHTTPBody("HTTP/1.0 200 OK\r\n"), nullptr);
  EXPECT_EQ(client.GetHTTPBody(nullptr), nullptr);
  const std::pair<const char*, int> statuses[] = {{"210 ok", 210}, {"2a0", 2}, {"21", -1},
                                                  {"", -1},        {"abc", 0}, {"4011", 401}};
  for (const auto& [text, status] : statuses) EXPECT_EQ(client.GetStatusCode(text), status) << text;
  EXPECT_EQ(client.GetStatusCode(nullptr), -1);
}

TEST_F(Parse, TextConversionFollowsTheProtocolLevel) {
  EXPECT_EQ(client.NarrowToString("ok \xC3\xA9 \xFF end"), "ok é \xEF\xBF\xBD end");
  EXPECT_EQ(client.StringToNarrow("é ♪"), "é ♪");
  client.SetProtocolLevel(5);
  EXPECT_EQ(client.NarrowToString("\xE9t\xE9"), "été");
  EXPECT_EQ(client.StringToNarrow("été ♪"), "\xE9t\xE9 ?");
}

TEST_F(Parse, EscapingAndKeyValueLines) {
  std::string value = "a\\b\nc\td";
  client.EscapeValue(value);
  EXPECT_EQ(value, "a\\\\b\\nc\\td");
  EXPECT_EQ(client.FormatKeyValueLine("EXTD", ""), "EXTD=\r\n");
  EXPECT_EQ(client.FormatKeyValueLine("TTITLE0", "x\ny"), "TTITLE0=x\\ny\r\n");

  // Long values are cut into lines of at most 254 characters that read back
  // to the same value, even across escapes and multi-byte characters.
  for (const std::string& long_value :
       {std::string(600, 'a'), std::string(300, '\n') + "é" + std::string(250, 'b'),
        std::string(253, 'c') + "ü€" + std::string(300, '\\')}) {
    std::string lines = client.FormatKeyValueLine("EXTD", long_value);
    std::string joined, line, key, piece;
    for (std::istringstream in(lines); std::getline(in, line);) {
      ASSERT_EQ(line.back(), '\r');
      line.pop_back();
      size_t chars = 0;
      for (unsigned char c : line) chars += (c & 0xC0) != 0x80;
      EXPECT_LE(chars, 254u);
      ASSERT_EQ(client.SplitKeyValue(line, key, piece), 1);
      EXPECT_EQ(key, "EXTD");
      joined += piece;
    }
    EXPECT_EQ(joined, long_value);
  }
  // A key too long to leave room still makes progress.
  const std::string key(300, 'K');
  EXPECT_EQ(client.FormatKeyValueLine(key, "abc"), key + "=ab\r\n" + key + "=c\r\n");
}

TEST_F(Parse, SitesLinesAndTextBodies) {
  std::vector<CCDDBSite> sites;
  const char* sitesBody =
      "210 OK, site information follows (until terminating `.')\r\n"
      "cddb.example.org http 80 /~cddb/cddb.cgi N037.23 W122.03 Example site, California\r\n"
      "bad.example.org http 80 /~cddb/cddb.cgi X037.23 W122.03 Wrong letter\r\n"
      "short.example.org http\r\n"
      ".\r\n";
  EXPECT_EQ(client.ParseSitesBody(sitesBody, sites), 1);
  ASSERT_EQ(sites.size(), 1u);
  EXPECT_EQ(sites[0].Host, "cddb.example.org");
  EXPECT_EQ(sites[0].Protocol, "http");
  EXPECT_EQ(sites[0].Address, "/~cddb/cddb.cgi");
  EXPECT_EQ(sites[0].North, 1);
  EXPECT_EQ(sites[0].Latitude, 37 * 60 + 23);
  EXPECT_EQ(sites[0].East, 0);
  EXPECT_EQ(sites[0].Longitude, 122 * 60 + 3);
  EXPECT_EQ(sites[0].Description, "Example site, California");
  EXPECT_EQ(client.ParseSitesBody("500 error\r\n", sites), 0);

  client.SetProtocolLevel(2);
  CCDDBSite old(1);
  EXPECT_EQ(client.ParseSitesLine(old, "cddb.example.org 8880 S033.52 E151.12"), 1);
  EXPECT_EQ(old.Port, 8880);
  EXPECT_EQ(old.Address, "");
  EXPECT_EQ(old.North, 0);
  EXPECT_EQ(old.Description, "");

  std::vector<std::string> lines;
  EXPECT_EQ(client.ParseLinesBody("210 OK\r\nrock\r\n\r\njazz\r\n.\r\n", lines), 1);
  EXPECT_EQ(lines, (std::vector<std::string>{"rock", "jazz"}));
  std::string text;
  EXPECT_EQ(client.ParseTextBody("210 OK\r\nline one\r\nline two\r\n.\r\n", text), 1);
  EXPECT_EQ(text, "line one\r\nline two\r\n");
  EXPECT_EQ(client.ParseTextBody("210 OK", text), 0);
  EXPECT_EQ(client.ParseTextBody("401 no", text), 0);
}

TEST_F(Parse, StatusBodies) {
  const std::string body =
      "210 OK, status information follows (until terminating `.')\r\n"
      "Server status:\r\n    current proto: 6\r\n    max proto: 6\r\n    gets: no\r\n    updates: yes\r\n"
      "    posting: no\r\n    quotes: yes\r\n    current users: 3\r\n    max users: 100\r\n    strip ext: "
      "no\r\n"
      "Database entries: 7\r\nDatabase entries by category:\r\n    rock: 4\r\n    jazz: 3\r\n"
      "Pending File transmissions:\r\n    mirror.example.org: 2\r\n.\r\n";
  CCDDBStatus status;
  ASSERT_EQ(client.ParseStatusBody(body.c_str(), status), 1);
  EXPECT_EQ(status.MaxProtocol, 6);
  EXPECT_TRUE(status.Updates);
  EXPECT_TRUE(status.Quotes);
  EXPECT_FALSE(status.Gets);
  EXPECT_EQ(status.MaxUsers, 100);
  EXPECT_EQ(status.DatabaseEntries, 7);
  EXPECT_EQ(status.CategoryNames, (std::vector<std::string>{"rock", "jazz"}));
  EXPECT_EQ(status.CategoryCounts, (std::vector<int>{4, 3}));
  EXPECT_EQ(status.PendingNames, (std::vector<std::string>{"mirror.example.org"}));

  CCDDBStatus bad;
  std::string broken = std::regex_replace(body, std::regex("strip ext: no"), "strip ext: maybe");
  EXPECT_EQ(client.ParseStatusBody(broken.c_str(), bad), 0);
  EXPECT_EQ(host.LogLines(),
            (std::vector<std::string>{"CCDDB::ParseStatusBody, CDDB server failed to return a "
                                      "valid strip extended response to the stat command."}));
  EXPECT_EQ(host.ClearCount(), 1);
}

TEST_F(Parse, SubmissionReplies) {
  EXPECT_EQ(client.ParseSubmitResponse("200 OK, submission accepted\r\n"), 1);
  EXPECT_EQ(client.ParseSubmitResponse("501 Entry rejected\r\n"), 0);
  auto calls = host.Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].text, "Successfully Submitted!");
  EXPECT_EQ(calls[1].text, "CDDB info successfully submitted.");
  EXPECT_EQ(calls[1].level, LogInfo);
  EXPECT_EQ(calls[2].kind, CRecordingCDDBHost::Kind::Message);
  EXPECT_EQ(calls[2].text, "Fail to Submit CDDB Info!  Response Code: 501");
  EXPECT_EQ(calls[3].level, LogError);
}

class LocalFile : public Parse {
 protected:
  void SetUp() override {
    Parse::SetUp();
    char pattern[] = "/tmp/qcr-cddb-parse-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir + "/" + name, std::ios::binary) << text;
    return dir + "/" + name;
  }
  uint32_t CodeOf(uint32_t id, const std::string& path, bool single) {
    try {
      client.ReadLocalFile(id, path, single, parsed);
    } catch (const CCDDBException& e) {
      return e.Code;
    }
    return 0;
  }
  std::string dir;
};

TEST_F(LocalFile, ReadsSingleAndMultiRecordFiles) {
  const std::string record = Record("rock/0c016602");
  EXPECT_EQ(CodeOf(0x0c016602, Write("single", record), true), 0u);
  EXPECT_EQ(parsed.Title, "Two Tracks");

  // The section's last line (no line end in the file) still counts.
  std::string section = CrLf(record);
  section.replace(section.find("PLAYORDER=\r\n"), 12, "PLAYORDER=2,1");
  std::string multi =
      "#FILENAME=11111111\r\n" + CrLf(Record("folk/24033203")) + "#FILENAME=0C016602\r\n" + section;
  parsed = CCDDBRecord();
  EXPECT_EQ(CodeOf(0x0c016602, Write("multi", multi), false), 0u);
  EXPECT_EQ(parsed.Title, "Two Tracks");
  EXPECT_EQ(parsed.PlayOrder, (std::vector<int>{2, 1}));
}

TEST_F(LocalFile, FailuresHaveTheirCodes) {
  const uint32_t client4 = 0x80000000u | 4u << 16;
  EXPECT_EQ(CodeOf(1, dir + "/missing", true), 0x80000000u | 7u << 16 | ENOENT);
  EXPECT_EQ(CodeOf(1, dir + "/missing", false), static_cast<uint32_t>(ENOENT));
  EXPECT_EQ(CodeOf(1, Write("empty", ""), true), client4 | 521);
  EXPECT_EQ(CodeOf(1, Write("junk", "not a record\n"), true), client4 | 522);
  EXPECT_EQ(CodeOf(1, Write("other", "#FILENAME=00000002\n" + Record("rock/0c016602")), false),
            client4 | 523);
  EXPECT_EQ(CodeOf(3, Write("broken", "#FILENAME=00000003\nnot a record\n"), false), client4 | 522);

  // Size is checked before anything is read: a sparse file costs no space.
  std::string huge = Write("huge", "");
  ASSERT_EQ(truncate(huge.c_str(), 1ll << 32), 0);
  EXPECT_EQ(CodeOf(1, huge, true), client4 | 520);
}

}  // namespace
