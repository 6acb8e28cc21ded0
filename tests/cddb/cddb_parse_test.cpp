// The client's parsers on the xmcd records in tests/data/xmcd and on damaged
// variants of them, without any network.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cddb/cddb.h"
#include "cddb/cddb_globals.h"

namespace {

std::string Record(const std::string& name) {
  std::ifstream in(std::string(QCR_TEST_DATA_DIR) + "/xmcd/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
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
  // The plain record with `from` replaced by `to`.
  std::string PlainWith(const std::string& from, const std::string& to) {
    std::string record = Record("rock/0c016602");
    size_t at = record.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? record : record.replace(at, from.size(), to);
  }

  CCDDB client;
  CRecordingCDDBHost host;
  CCDDBRecord parsed;
};

TEST_F(Parse, APlainRecordFillsEveryField) {
  ASSERT_EQ(ParseRecord(Record("rock/0c016602")), 1);
  CCDDBRecord expected;
  expected.TrackOffsets = {150, 14265};
  expected.DiscLength = 360;
  expected.Revision = 3;
  expected.SubmittedViaClient = "ExampleTagger";
  expected.SubmittedViaVersion = "2.4";
  expected.SubmittedViaComment = "beta";
  expected.DiscID = 0x0c016602u;
  expected.Artist = "The Examples";
  expected.Title = "Two Tracks";
  expected.Year = 1998;
  expected.Genre = "Rock";
  expected.TrackTitles = {"Opening Number", "Closing Number"};
  expected.ExtendedTrackData = {"", ""};
  EXPECT_EQ(parsed, expected);
}

TEST_F(Parse, ContinuedValuesAreJoinedAsBytesAndDecodedOnce) {
  ASSERT_EQ(ParseRecord(Record("misc/5605dc06")), 1);
  EXPECT_EQ(parsed.Artist, "Sigríður Ólafsdóttir");
  EXPECT_EQ(parsed.Title, "Ljóð og lög");
  // é and a three-byte character are each split between two lines.
  EXPECT_EQ(parsed.TrackTitles,
            (std::vector<std::string>{"Vísur Vatnsenda-Rósu", "Café Society", "Tab\there\\slash",
                                      "Rain — Snow", "Kvæði", "The Last One"}));
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

TEST_F(Parse, ARecordLackingALineFailsWithItsMessage) {
  // One line of the plain record replaced (or removed), and what is missing.
  const struct {
    const char* line;
    const char* replacement;
    const char* missing;
  } cases[] = {
      {"# xmcd\n", "# cddb\n", "a XMCD comment line"},
      {"# Track frame offsets:\n", "", "any Track frame offset lines"},
      {"# Disc length: 360 seconds\n", "", "a Disc length line"},
      {"# Submitted via: ExampleTagger 2.4 beta\n", "", "a Submitted via line"},
      {"ExampleTagger 2.4 beta", "OnlyOneWord", "a valid Submitted via: line"},
      {"DISCID=0c016602", "DISCID=0c01660", "a DISCID line"},
      {"DTITLE=The Examples / Two Tracks\n", "", "a DTITLE line"},
      {"EXTT1=\n", "", "an equal amount of TTITLE lines to EXTT lines"},
      {"EXTT1=", "EXTT2=", "an equal amount of TTITLE lines to EXTT lines"},
  };
  for (const auto& c : cases) {
    std::string failure;
    EXPECT_EQ(ParseRecord(PlainWith(c.line, c.replacement), &failure), 0) << c.line;
    EXPECT_EQ(failure,
              std::string("CCDDB::ParseRecordBodyHelper, CDDB server failed to return a record with ") +
                  c.missing + ".");
  }
  // Ten titles need ten extended lines, not the first two.
  std::string record = Record("rock/0c016602");
  record = record.substr(0, record.find("TTITLE0="));
  for (int i = 0; i < 10; ++i) record += "TTITLE" + std::to_string(i) + "=Song\n";
  EXPECT_EQ(ParseRecord(record), 0);
  for (int i = 0; i < 10; ++i) record += "EXTT" + std::to_string(i) + "=\n";
  EXPECT_EQ(ParseRecord(record), 1);
  // Text that is no record at all, or nothing.
  EXPECT_EQ(ParseRecord("<html>Service Unavailable</html>\n"), 0);
  EXPECT_EQ(client.ParseRecordBodyHelper(parsed, nullptr), 0);
}

TEST_F(Parse, FieldEdgeCases) {
  // Track numbers outside 0-99 are ignored.
  ASSERT_EQ(ParseRecord(Record("data/0500f802")), 1);
  EXPECT_EQ(parsed.TrackTitles, (std::vector<std::string>{"First", "Second"}));
  EXPECT_EQ(parsed.ExtendedTrackData, (std::vector<std::string>{"", ""}));

  ASSERT_EQ(ParseRecord(PlainWith("TTITLE0=Opening Number\n", "TTITLE0=One\\nA\nTTITLE0=B\\n\n")), 1);
  EXPECT_EQ(parsed.TrackTitles[0], "One\nAB\n");  // appended, each line unescaped on its own
  ASSERT_EQ(ParseRecord(PlainWith("TTITLE1=Closing Number\n", "TTITLE2=Late\nTTITLE1=Closing Number\n")), 1);
  EXPECT_EQ(parsed.TrackTitles.size(), 2u);  // entry 2 dropped when TTITLE1 resized the list
  ASSERT_EQ(ParseRecord(PlainWith("# Disc length: 360 seconds", "# Disc length:3245")), 1);
  EXPECT_EQ(parsed.DiscLength, 245);
  ASSERT_EQ(ParseRecord(PlainWith("# Disc length: 360 seconds", "# Disc length:")), 1);
  EXPECT_EQ(parsed.DiscLength, 0);
  // A record's disc title splits at its first " / " only, and stays whole in
  // both fields without one, a lone "/" included (match lines split there).
  const std::pair<const char*, const char*> titles[] = {{"Examples/Two", "Examples/Two|Examples/Two"},
                                                        {"AC/DC", "AC/DC|AC/DC"},
                                                        {"AC/DC / Back in Black", "AC/DC|Back in Black"},
                                                        {"Left/Right / Up/Down", "Left/Right|Up/Down"},
                                                        {"No Slash", "No Slash|No Slash"}};
  for (const auto& [text, split] : titles) {
    ASSERT_EQ(ParseRecord(PlainWith("DTITLE=The Examples / Two Tracks", std::string("DTITLE=") + text)), 1);
    EXPECT_EQ(parsed.Artist + "|" + parsed.Title, split) << text;
  }
  ASSERT_EQ(ParseRecord(PlainWith("DYEAR=1998\n", "DYEAR=1998\nDYEAR=2001\n")), 1);
  EXPECT_EQ(parsed.Year, 2001);
  ASSERT_EQ(ParseRecord(PlainWith("2.4 beta", "2.4 beta extra words")), 1);
  EXPECT_EQ(parsed.SubmittedViaComment, "beta");
  ASSERT_EQ(ParseRecord(PlainWith("2.4 beta", "2.4")), 1);
  EXPECT_EQ(parsed.SubmittedViaComment, "");
  ASSERT_EQ(ParseRecord(PlainWith("#\t14265", "#\tnot a number")), 1);
  EXPECT_EQ(parsed.TrackOffsets, (std::vector<int>{150, 0}));
  ASSERT_EQ(ParseRecord(PlainWith("DISCID=0c016602", "DISCID=0c016602,7a0b3c0b")), 1);
  EXPECT_EQ(parsed.DiscID, 0x0c016602u);
  const std::pair<const char*, std::vector<int>> orders[] = {
      {"3,1,2", {3, 1, 2}}, {"", {}}, {"1,,2", {1, 0, 2}}, {"4,", {4}}, {"x,2", {0, 2}}};
  for (const auto& [text, expected] : orders) {
    ASSERT_EQ(ParseRecord(PlainWith("PLAYORDER=", std::string("PLAYORDER=") + text)), 1);
    EXPECT_EQ(parsed.PlayOrder, expected) << text;
  }
}

TEST_F(Parse, StatusCodesAndBodies) {
  // Only a list status carries a record; others leave it alone.
  const std::string record = Record("rock/0c016602");
  EXPECT_EQ(client.ParseRecordBody(ReadBody(record, "211").c_str(), parsed), 1);
  parsed.Title = "kept";
  for (const char* status : {"401", "403", "200", "2x0"}) {
    EXPECT_EQ(client.ParseRecordBody(ReadBody(record, status).c_str(), parsed), 0) << status;
  }
  EXPECT_EQ(client.ParseRecordBody(nullptr, parsed), 0);
  EXPECT_EQ(parsed.Title, "kept");

  EXPECT_STREQ(client.GetHTTPBody("HTTP/1.0 200 OK\r\nA: b\r\n\r\n210 x"), "210 x");
  EXPECT_EQ(client.GetHTTPBody("HTTP/1.0 200 OK\r\n"), nullptr);
  EXPECT_EQ(client.GetHTTPBody(nullptr), nullptr);
  const std::pair<const char*, int> statuses[] = {{"210 ok", 210}, {"2a0", 2}, {"21", -1},
                                                  {"", -1},        {"abc", 0}, {"4011", 401}};
  for (const auto& [text, status] : statuses) EXPECT_EQ(client.GetStatusCode(text), status) << text;
  EXPECT_EQ(client.GetStatusCode(nullptr), -1);
}

TEST_F(Parse, QueryLinesAndBodies) {
  const struct {
    const char* line;
    int ok;
    CCDDBQueryResult result;
  } cases[] = {
      {"rock 0c016602 Artist / Title", 1, {"rock", 0x0c016602, "Artist", "Title"}},
      {"misc  0C016602   Only a title ", 1, {"misc", 0x0c016602, "", "  Only a title "}},
      {"jazz 3604b104 A/B\r\nmore", 1, {"jazz", 0x3604b104, "A", "B"}},
      {"rock 0c016602 AC/DC / Back in Black", 1, {"rock", 0x0c016602, "AC/DC", "Back in Black"}},
      {"rock 0c016602 Left/Right / Up/Down", 1, {"rock", 0x0c016602, "Left/Right", "Up/Down"}},
      {"data 12zz x", 1, {"data", 0x12, "", "x"}},
      {"data zz x", 1, {"data", 0x5a5a, "", "x"}},  // no hex digit: id unchanged
      {"onlyoneword", 0, {"onlyoneword", 0x5a5a, "", ""}},
      {".", 0, {".", 0x5a5a, "", ""}},
  };
  for (const auto& c : cases) {
    CCDDBQueryResult result;
    result.DiscID = 0x5a5a;
    EXPECT_EQ(client.ParseQueryLine(result, c.line), c.ok) << c.line;
    EXPECT_EQ(result, c.result) << c.line;
  }

  std::vector<CCDDBQueryResult> results;
  EXPECT_EQ(client.ParseQueryBody("200 rock 0c016602 The Examples / Two Tracks\r\n", "0c016602", results), 1);
  EXPECT_EQ(
      client.ParseQueryBody("210 Found exact matches\r\nblues 3604b104 A / B\r\njazz 3604b104 C / D\r\n.\r\n",
                            "3604b104", results),
      1);
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0].Title, "Two Tracks");
  EXPECT_EQ(results[2].Category, "jazz");
  for (const char* body : {"211 Found inexact matches\r\n.\r\n", "200 ", "200 single",
                           "403 Database entry is corrupt.\r\n", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(client.ParseQueryBody(body, "x", results), 0) << (body ? body : "null");
  }
  EXPECT_TRUE(host.Calls().empty());  // none of these is reported
  EXPECT_EQ(results.size(), 3u);

  EXPECT_EQ(client.ParseQueryBody("202 No match for disc ID 0c016602.\r\n", "0c016602", results), 0);
  const std::string notice =
      "CCDDB::ParseQueryBody, CDDB server does not contain the specifed album with DISCID:0c016602 in its "
      "database";
  EXPECT_EQ(CDDBExceptionText, notice);
  EXPECT_EQ(host.LogLines(), std::vector<std::string>{notice});
  EXPECT_EQ(host.Calls().at(0).level, LogError);
  EXPECT_EQ(host.ClearCount(), 1);
}

TEST_F(Parse, TextConversionAndEscaping) {
  EXPECT_EQ(client.StringToNarrow("é ♪"), "é ♪");
  client.SetProtocolLevel(5);
  EXPECT_EQ(client.StringToNarrow("été ♪"), "\xE9t\xE9 ?");  // Latin-1 below level 6
  client.SetProtocolLevel(6);

  std::string value = "a\\b\nc\td";
  client.EscapeValue(value);
  EXPECT_EQ(value, "a\\\\b\\nc\\td");
  EXPECT_EQ(client.FormatKeyValueLine("EXTD", ""), "EXTD=\r\n");
  // Long values are cut into lines of at most 254 characters that read back
  // to the same value, even across escapes and multi-byte characters.
  for (const std::string& long_value :
       {std::string(600, 'a'), std::string(300, '\n') + "é" + std::string(250, 'b'),
        std::string(253, 'c') + "ü€" + std::string(300, '\\'), std::string("\n\t"),
        std::string("C:\\new\\table"), std::string("\\n\\\\t\\"), std::string("end\\\\")}) {
    std::string joined, line, key, piece;
    for (std::istringstream in(client.FormatKeyValueLine("EXTD", long_value)); std::getline(in, line);) {
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
  // Backslashes that escape nothing are kept as they are.
  std::string key, piece;
  ASSERT_EQ(client.SplitKeyValue("EXTD=\\q a\\", key, piece), 1);
  EXPECT_EQ(piece, "\\q a\\");
  // A key too long to leave room still makes progress.
  const std::string longKey(300, 'K');
  EXPECT_EQ(client.FormatKeyValueLine(longKey, "abc"), longKey + "=ab\r\n" + longKey + "=c\r\n");
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
  EXPECT_EQ(sites[0].Host + "|" + sites[0].Protocol + "|" + sites[0].Address + "|" + sites[0].Description,
            "cddb.example.org|http|/~cddb/cddb.cgi|Example site, California");
  EXPECT_EQ(std::vector<int>({sites[0].North, sites[0].Latitude, sites[0].East, sites[0].Longitude}),
            std::vector<int>({1, 37 * 60 + 23, 0, 122 * 60 + 3}));
  EXPECT_EQ(client.ParseSitesBody("500 error\r\n", sites), 0);

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
      "    posting: no\r\n    quotes: yes\r\n    current users: 3\r\n    max users: 100\r\n"
      "    strip ext: no\r\nDatabase entries: 7\r\nDatabase entries by category:\r\n    rock: 4\r\n"
      "    jazz: 3\r\nPending File transmissions:\r\n    mirror.example.org: 2\r\n.\r\n";
  CCDDBStatus status;
  ASSERT_EQ(client.ParseStatusBody(body.c_str(), status), 1);
  EXPECT_EQ(status.MaxProtocol, 6);
  EXPECT_TRUE(status.Updates && status.Quotes && !status.Gets);
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

TEST_F(Parse, LocalFiles) {
  char pattern[] = "/tmp/qcr-cddb-parse-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  auto code_of = [&](uint32_t id, const std::string& name, const std::string* text, bool single) -> uint32_t {
    if (text) std::ofstream(dir + "/" + name, std::ios::binary) << *text;
    try {
      client.ReadLocalFile(id, dir + "/" + name, single, parsed);
    } catch (const CCDDBException& e) {
      return e.Code;
    }
    return 0;
  };
  const std::string record = Record("rock/0c016602");
  EXPECT_EQ(code_of(0x0c016602, "single", &record, true), 0u);
  EXPECT_EQ(parsed.Title, "Two Tracks");
  // The section's last line (no line end in the file) still counts.
  std::string section = CrLf(record);
  section.replace(section.find("PLAYORDER=\r\n"), 12, "PLAYORDER=2,1");
  const std::string multi =
      "#FILENAME=11111111\r\n" + CrLf(Record("folk/24033203")) + "#FILENAME=0C016602\r\n" + section;
  parsed = CCDDBRecord();
  EXPECT_EQ(code_of(0x0c016602, "multi", &multi, false), 0u);
  EXPECT_EQ(parsed.Title, "Two Tracks");
  EXPECT_EQ(parsed.PlayOrder, (std::vector<int>{2, 1}));

  const uint32_t client4 = 0x80000000u | 4u << 16;
  const std::string empty, junk = "not a record\n", other = "#FILENAME=00000002\n" + record,
                           broken = "#FILENAME=00000003\nnot a record\n";
  EXPECT_EQ(code_of(1, "missing", nullptr, true), 0x80000000u | 7u << 16 | ENOENT);
  EXPECT_EQ(code_of(1, "missing", nullptr, false), static_cast<uint32_t>(ENOENT));
  EXPECT_EQ(code_of(1, "empty", &empty, true), client4 | 521);
  EXPECT_EQ(code_of(1, "junk", &junk, true), client4 | 522);
  EXPECT_EQ(code_of(1, "other", &other, false), client4 | 523);
  EXPECT_EQ(code_of(3, "broken", &broken, false), client4 | 522);
  // A NUL byte would hide the rest of the record.
  std::string nul = record;
  nul.insert(nul.find("DYEAR"), 1, '\0');
  EXPECT_EQ(code_of(0x0c016602, "nul", &nul, true), client4 | 522);
  // A FIFO in the file's place is refused at once, not waited on.
  ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
  EXPECT_EQ(code_of(1, "fifo", nullptr, true), 0x80000000u | 7u << 16 | EINVAL);
  EXPECT_EQ(code_of(1, "fifo", nullptr, false), static_cast<uint32_t>(EINVAL));
  // Size is checked before anything is read: a sparse file costs no space.
  ASSERT_EQ(code_of(1, "huge", &empty, true), client4 | 521);
  ASSERT_EQ(truncate((dir + "/huge").c_str(), 1ll << 32), 0);
  EXPECT_EQ(code_of(1, "huge", nullptr, true), client4 | 520);
  std::filesystem::remove_all(dir);
}

}  // namespace
