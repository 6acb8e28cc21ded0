// The client's requests and reply handling against the loopback CDDB server,
// which serves tests/data/xmcd and misbehaves on demand.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "cddb/cddb.h"
#include "cddb/cddb_globals.h"
#include "tests/support/cddb_server.h"

namespace {

const std::string kRecords = std::string(QCR_TEST_DATA_DIR) + "/xmcd";
const std::string kHello = "hello=u+h+DerODIZ+1.31&proto=6";
const std::string kQueryWords = "cddb+query+0c016602+2+150+14265+360&" + kHello;
const std::string kReadWords = "cddb+read+rock+0c016602&" + kHello;
const std::string kThrowing = "Warning: throwing CCDDBException for error ";
constexpr uint32_t kSystem = 0x80000000u | 7u << 16;
constexpr uint32_t kClient = 0x80000000u | 4u << 16;

class Protocol : public ::testing::Test {
 protected:
  void SetUp() override {
    server.Start();
    site.Host = "127.0.0.1";
    site.Port = server.Port();
    client.SetHost(&host);
    client.SetHelloUser("u");
    client.SetHelloHost("h");
    client.Timeout = 10000;
  }

  // The code of the CCDDBException that `call` throws, or 0 when it returns.
  template <typename Call>
  uint32_t CodeOf(Call call) {
    try {
      call();
    } catch (const CCDDBException& e) {
      thrown = e;
      return e.Code;
    }
    return 0;
  }
  uint32_t Query(uint32_t id = 0x0c016602) {
    return CodeOf([&] { client.Query(site, id, twoTracks, results); });
  }
  uint32_t Read(const std::string& category = "rock", uint32_t id = 0x0c016602) {
    return CodeOf([&] { client.Read(site, id, category, record); });
  }
  // What the server sends for the standard read of the two-track record.
  std::string ReadReply() {
    return server.Answer("GET /~cddb/cddb.cgi?cmd=" + kReadWords + " HTTP/1.0\r\n\r\n");
  }
  void Behave(CddbServerBehaviour behaviour) { server.SetBehaviour(behaviour); }

  CddbLoopbackServer server{kRecords};
  CCDDB client;
  CRecordingCDDBHost host;
  CCDDBSite site{1};
  std::vector<CCDDBTrackPosition> twoTracks = {{0, 2, 0}, {3, 10, 15}, {6, 0, 0}};
  std::vector<CCDDBQueryResult> results;
  CCDDBRecord record;
  CCDDBException thrown{0, ""};
};

TEST_F(Protocol, DirectRequestsAreSentByteForByte) {
  std::vector<CCDDBTrackPosition> none;
  EXPECT_THROW(client.Query(site, 1, none, results), std::invalid_argument);  // sends nothing
  ASSERT_EQ(Query(), 0u);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0], (CCDDBQueryResult{"rock", 0x0c016602, "The Examples", "Two Tracks"}));
  ASSERT_EQ(Read(), 0u);
  EXPECT_EQ(record.Title, "Two Tracks");
  EXPECT_EQ(record.TrackTitles.size(), 2u);
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{
                                   "GET /~cddb/cddb.cgi?cmd=" + kQueryWords + " HTTP/1.0\r\n\r\n",
                                   "GET /~cddb/cddb.cgi?cmd=" + kReadWords + " HTTP/1.0\r\n\r\n",
                               }));
  EXPECT_EQ(client.GetLastResponse(), ReadReply());
  EXPECT_TRUE(host.Calls().empty());
}

TEST_F(Protocol, ProxyRequestsNameTheSiteAndMayAuthenticate) {
  client.ProxyHost = "127.0.0.1";
  client.ProxyPort = server.Port();
  site.Host = "cddb.example.org";  // only named in the request, never contacted
  site.Port = 1;
  ASSERT_EQ(Query(), 0u);
  client.ProxyUser = "alice";
  client.ProxyPassword = "secret";
  ASSERT_EQ(Read(), 0u);
  const std::string url = "GET http://cddb.example.org/~cddb/cddb.cgi?cmd=";
  EXPECT_EQ(
      server.Requests(),
      (std::vector<std::string>{
          url + kQueryWords + " HTTP/1.0\r\nHost: cddb.example.org\r\n\r\n",
          url + kReadWords +
              " HTTP/1.0\r\nProxy-Authorization: Basic YWxpY2U6c2VjcmV0\r\nHost: cddb.example.org\r\n\r\n",
      }));
  const char* padding[][3] = {{"a", "b", "YTpi"}, {"ab", "", "YWI6"}, {"Zoë", "pä", "Wm/Dqzpww6Q="}};
  for (auto [user, password, encoded] : padding) {
    client.ProxyUser = user;
    client.ProxyPassword = password;
    EXPECT_EQ(client.GetProxyHeaders(site),
              std::string("Proxy-Authorization: Basic ") + encoded + "\r\nHost: cddb.example.org");
  }
}

TEST_F(Protocol, RecordsAndMatchesFromTheServer) {
  ASSERT_EQ(Query(0x3604b104), 0u);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].Category, "blues");
  EXPECT_EQ(results[1].Title, "Late Set");

  client.SetProtocolLevel(5);
  ASSERT_EQ(Read("folk", 0x24033203), 0u);
  EXPECT_EQ(record.Artist, "José González Trio");
  EXPECT_NE(server.Requests().back().find("&proto=5 "), std::string::npos);

  // The server's record names another disc first: the id asked for wins.
  ASSERT_EQ(Read("newage", 0x0e044a03), 0u);
  EXPECT_EQ(record.DiscID, 0x0e044a03u);
  const std::string notice =
      "CCDDB::Read, Returned DiscID from CDDB read (1e0f3a03) is different than the computed value "
      "(0e044a03), "
      "using the computed value";
  EXPECT_EQ(CDDBExceptionText, notice);
  ASSERT_EQ(host.Calls().size(), 1u);
  EXPECT_EQ(host.Calls()[0].text, notice);
  EXPECT_EQ(host.Calls()[0].level, LogInfo);
}

TEST_F(Protocol, NoMatchIsLoggedByTheParserThenThrown) {
  EXPECT_EQ(Query(0x01020304), 516u);
  EXPECT_EQ(host.LogLines(),
            (std::vector<std::string>{"CCDDB::ParseQueryBody, CDDB server does not contain the "
                                      "specifed album with DISCID:01020304 in its database",
                                      kThrowing + kCDDBNoUsableAnswerText}));
  EXPECT_EQ(host.ClearCount(), 2);
  EXPECT_EQ(CDDBExceptionText, kThrowing + kCDDBNoUsableAnswerText);  // it came in time
  EXPECT_NE(thrown.Text.find("202 No match for disc ID 01020304."), std::string::npos);
  EXPECT_TRUE(results.empty());
}

TEST_F(Protocol, EachStatusOfTheServerGivesItsOutcome) {
  // Error replies carry no terminator and the server closes: a read ends in
  // "connection closed"; a query stops at the first body that is no list.
  for (int status : {200, 202, 210, 211, 401, 403, 409, 500}) {
    const bool list = status == 210 || status == 211;
    const uint32_t query = list || status == 200 ? 0u : 516u, read = list ? 0u : kClient | 524;
    CddbServerBehaviour behaviour;
    behaviour.status = status;
    Behave(behaviour);
    host.Reset();
    EXPECT_EQ(Query(), query) << status;
    EXPECT_EQ(results.size(), query ? 0u : 1u) << status;
    EXPECT_EQ(Read(), read) << status;
    if (read) {
      EXPECT_EQ(host.LogLines().back(), kThrowing) << status;  // the client facility has no texts
      EXPECT_EQ(thrown.Text.substr(0, 8), "HTTP/1.0");         // the reply so far
    }
  }
}

TEST_F(Protocol, AnErrorStatusWithATerminatorIsAFailedRead) {
  CddbServerBehaviour behaviour;
  behaviour.rawReply = "HTTP/1.0 200 OK\r\n\r\n401 rock 0c016602 No such CD entry in database.\r\n.\r\n";
  Behave(behaviour);
  record.Title = "untouched";
  EXPECT_EQ(Read(), 517u);
  EXPECT_EQ(record.Title, "untouched");
  EXPECT_EQ(host.LogLines(), (std::vector<std::string>{kThrowing + CDDBSystemMessage(517)}));
  EXPECT_EQ(thrown.Text, behaviour.rawReply);
}

TEST_F(Protocol, RepliesSplitAtAwkwardPlacesAreReassembled) {
  const size_t size = ReadReply().size();
  const size_t headersEnd = ReadReply().find("\r\n\r\n");
  const std::vector<std::vector<size_t>> splits = {
      {1, 5, 17},                                  // inside the status line and headers
      {headersEnd + 1, headersEnd + 3},            // inside the blank line
      {size - 4, size - 2, size - 1},              // inside "\r\n.\r\n"
      {headersEnd + 5, headersEnd + 6, size - 3},  // inside the status number
  };
  for (const auto& at : splits) {
    CddbServerBehaviour behaviour;
    behaviour.splitAt = at;
    Behave(behaviour);
    EXPECT_EQ(Read(), 0u) << at.front();
    EXPECT_EQ(Query(), 0u) << at.front();
    EXPECT_EQ(record.Title, "Two Tracks");
  }
  // Tiny receives split every piece, the terminator included, whatever the
  // network does; a chunk too small to receive anything still works.
  for (int chunk : {3, 4, 1, 0}) {
    client.ReceiveChunk = chunk;
    EXPECT_EQ(Read(), 0u) << chunk;
    EXPECT_EQ(client.GetLastResponse(), ReadReply());
  }
}

TEST_F(Protocol, ACloseBeforeTheTerminatorIsAnError) {
  for (bool terminator : {true, false}) {
    CddbServerBehaviour behaviour;
    behaviour.terminator = terminator;
    if (terminator) behaviour.closeAt = ReadReply().size() - 3;
    Behave(behaviour);
    host.Reset();
    EXPECT_EQ(Read(), kClient | 524);
    EXPECT_EQ(thrown.Text, ReadReply().substr(0, ReadReply().size() - 3));
    EXPECT_EQ(CDDBExceptionText, kThrowing);
    auto calls = host.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].level, LogError);
    EXPECT_EQ(calls[1].kind, CRecordingCDDBHost::Kind::Clear);
  }
}

TEST_F(Protocol, AStallLongerThanTheTimeoutFails) {
  client.Timeout = 250;
  const size_t headers = ReadReply().find("\r\n\r\n") + 4;
  for (size_t at : {size_t{0}, headers, SIZE_MAX}) {
    CddbServerBehaviour behaviour;
    behaviour.stallAt = at;
    behaviour.stallMs = 20000;              // ends early: the client hangs up
    behaviour.terminator = at != SIZE_MAX;  // a reply without its end, left open
    Behave(behaviour);
    EXPECT_EQ(Read(), 516u) << at;
    std::string expected = ReadReply().substr(0, at);
    if (at == SIZE_MAX) expected.resize(expected.size() - 3);
    EXPECT_EQ(client.GetLastResponse(), expected);
    EXPECT_EQ(thrown.Text, expected);
    // A single match needs no terminator: the query must not wait for one.
    EXPECT_EQ(Query(), at == SIZE_MAX ? 0u : 516u) << at;
  }
}

TEST_F(Protocol, ASingleMatchIsParsedOnlyOnceItsLineIsWhole) {
  const CCDDBQueryResult expected{"rock", 0x0c016602, "The Examples", "Two Tracks"};
  const std::string reply = server.Answer("GET /~cddb/cddb.cgi?cmd=" + kQueryWords + " HTTP/1.0\r\n\r\n");
  ASSERT_EQ(reply.substr(reply.find("\r\n\r\n") + 4, 4), "200 ");
  for (size_t at = 1; at < reply.size(); ++at) {
    CddbServerBehaviour behaviour;
    behaviour.splitAt = {at};
    behaviour.pauseMs = 5;
    Behave(behaviour);
    ASSERT_EQ(Query(), 0u) << at;
    ASSERT_EQ(results, std::vector<CCDDBQueryResult>{expected}) << at;
  }
  // Long headers push the match line across the end of the first receive.
  const std::string line = "200 rock 0c016602 The Examples / Two Tracks\r\n";
  CddbServerBehaviour behaviour;
  behaviour.rawReply = "HTTP/1.0 200 OK\r\nX-Padding: ";
  behaviour.rawReply += std::string(1023 - 10 - behaviour.rawReply.size() - 4, 'p') + "\r\n\r\n" + line;
  Behave(behaviour);
  ASSERT_EQ(Query(), 0u);
  EXPECT_EQ(results, std::vector<CCDDBQueryResult>{expected});
}

// The headers are searched for their end only in the bytes each piece adds,
// so a server sending endless headers costs time in their length, not its square.
TEST_F(Protocol, HeadersAreScannedOnce) {
  struct CountingClient : CCDDB {
    const char* GetHTTPBody(const char* text) override {
      if (text) scanned += std::strlen(text);
      return CCDDB::GetHTTPBody(text);
    }
    size_t scanned = 0;
  } counting;
  counting.Timeout = 10000;
  CddbServerBehaviour behaviour;
  behaviour.rawReply = "HTTP/1.0 200 OK\r\n";
  for (int i = 0; i < 2000; ++i) behaviour.rawReply += "X-Padding: " + std::string(40, 'p') + "\r\n";
  behaviour.rawReply += "\r\n200 rock 0c016602 The Examples / Two Tracks\r\n";
  Behave(behaviour);
  counting.Query(site, 0x0c016602, twoTracks, results);
  ASSERT_EQ(results.size(), 1u);
  // Once while reading, once more when the query parses the reply.
  EXPECT_LT(counting.scanned, 3 * behaviour.rawReply.size());
}

TEST_F(Protocol, SlowSilentAndDamagedRepliesFail) {
  // A server that trickles its reply keeps every piece within the time-out
  // but not the whole reply.
  client.Timeout = 250;
  CddbServerBehaviour trickle;
  trickle.trickleMs = 50;
  Behave(trickle);
  EXPECT_EQ(Read(), 516u);
  EXPECT_EQ(ReadReply().rfind(thrown.Text, 0), 0u);  // the part that came
  EXPECT_EQ(Query(), 516u);
  EXPECT_EQ(CDDBExceptionText, kThrowing + "The CDDB server gave no usable reply in time.");

  // A NUL byte marks a damaged reply at once, whatever follows it.
  client.Timeout = 10000;
  std::string nulRead = ReadReply();
  nulRead.insert(nulRead.find("DYEAR"), 1, '\0');
  const std::string nulMatch =
      "HTTP/1.0 200 OK\r\n\r\n200 rock 0c016602 The Ex" + std::string(1, '\0') + "amples / Two Tracks\r\n";
  const struct {
    const std::string& reply;
    bool read;
    uint32_t code;
    std::string message;
  } damaged[] = {{nulRead, true, 517u, CDDBSystemMessage(517)},
                 {nulMatch, false, 516u, kCDDBNoUsableAnswerText}};
  for (const auto& c : damaged) {
    CddbServerBehaviour behaviour;
    behaviour.rawReply = c.reply;
    behaviour.splitAt = {c.reply.find('\0') + 8};  // the terminator comes in a later piece
    behaviour.stallAt = c.reply.size();
    behaviour.stallMs = 20000;
    Behave(behaviour);
    record = CCDDBRecord();
    EXPECT_EQ(c.read ? Read() : Query(), c.code) << c.read;
    EXPECT_EQ(CDDBExceptionText, kThrowing + c.message) << c.read;
    EXPECT_EQ(thrown.Text, c.reply.substr(0, thrown.Text.size())) << c.read;
    EXPECT_TRUE(results.empty());
    EXPECT_EQ(record, CCDDBRecord());
  }
}

TEST_F(Protocol, SocketFailuresBecomeSystemErrors) {
  // A bound socket that does not listen refuses connections.
  CWSocket bound;
  bound.Create();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(bound.Handle(), reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  socklen_t size = sizeof(address);
  ::getsockname(bound.Handle(), reinterpret_cast<sockaddr*>(&address), &size);
  site.Port = ntohs(address.sin_port);
  EXPECT_EQ(Query(), kSystem | ECONNREFUSED);
  EXPECT_EQ(host.LogLines(), (std::vector<std::string>{kThrowing + "Connection refused"}));
  EXPECT_EQ(host.ClearCount(), 1);

  // Listening with a full queue, it drops further connection requests as a
  // host that never answers does: the connect gives up after the time-out,
  // far below the system's own two minutes.
  ASSERT_EQ(::listen(bound.Handle(), 0), 0);
  std::vector<std::unique_ptr<CWSocket>> queued;
  try {
    while (queued.size() < 16) {
      queued.push_back(std::make_unique<CWSocket>());
      queued.back()->Create();
      queued.back()->Connect(reinterpret_cast<sockaddr*>(&address), size, 200);
    }
  } catch (const CWSocketException& e) {
    ASSERT_EQ(e.Error, ETIMEDOUT);
  }
  client.Timeout = 250;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Read(), kSystem | ETIMEDOUT);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));

  site.Host = "";  // the resolver fails without any network traffic
  EXPECT_EQ(Read(), kSystem | (kResolverErrorBase - EAI_NONAME));
  EXPECT_EQ(CDDBExceptionText, kThrowing + gai_strerror(EAI_NONAME));
}

TEST_F(Protocol, AnEndlessReplyStopsAt16MiB) {
  CddbServerBehaviour behaviour;
  behaviour.rawReply = "HTTP/1.0 200 OK\r\n\r\n210 rock 0c016602 follows\r\n" + std::string(17 << 20, 'x');
  Behave(behaviour);
  client.ReceiveChunk = 1 << 16;
  EXPECT_EQ(Read(), kSystem | EMSGSIZE);
  EXPECT_EQ(CDDBExceptionText, kThrowing + "Message too long");
}

TEST(CDDBClient, HelloWordsAreSanitised) {
  CCDDB client;
  client.SetHelloUser("John Smith");
  client.SetHelloHost("my-host.local");
  EXPECT_EQ(client.GetHelloCommand(), "hello=John_Smith+my_host_local+DerODIZ+1.31&proto=6");
  client.SetHelloUser("Zoë ♪");
  EXPECT_EQ(client.GetHelloUser(), "Zo___");  // one "_" per character
  client.SetHelloUser("auto");
  client.SetHelloHost("auto");
  const std::string words = client.GetHelloUser() + client.GetHelloHost();
  EXPECT_TRUE(std::regex_match(words, std::regex("\\w+"))) << words;
  client.ClientName = "Quarno CD";  // only the user and host words are sanitised
  client.SetProtocolLevel(5);
  EXPECT_TRUE(client.GetHelloCommand().ends_with("+Quarno CD+1.31&proto=5")) << client.GetHelloCommand();
  EXPECT_EQ(CCDDBException(0x12345, 7, "").Code, 0x80072345u);  // the number keeps its low 16 bits
  EXPECT_STREQ(CCDDBException(524, 4, "").what(), "CDDB error 0x8004020c");
}

// The command-line server the demo starts: a port file, answers, SIGTERM.
TEST_F(Protocol, TheServerProgramServesUntilTerminated) {
  char pattern[] = "/tmp/qcr-cddb-server-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::string portFile = dir + "/port";
  // The helper is built beside this test program, wherever that runs from:
  // run from a folder without it, so a look-up in the working folder fails.
  const std::filesystem::path startFolder = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  const std::shared_ptr<void> backToStart(nullptr, [&](void*) {
    std::error_code ignored;
    std::filesystem::current_path(startFolder, ignored);
  });
  std::string program =
      (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "qcr-cddb-server").string();
  std::vector<char*> argv = {program.data(), const_cast<char*>(kRecords.c_str()),
                             const_cast<char*>(portFile.c_str()), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);

  int port = 0;
  for (int i = 0; i < 1000 && port == 0; ++i) {  // up to 10 s for the server to start
    std::ifstream(portFile) >> port;
    if (port == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_GT(port, 0);
  site.Port = port;
  ASSERT_EQ(Read(), 0u);
  EXPECT_EQ(record.Artist, "The Examples");

  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::filesystem::remove_all(dir);
}

}  // namespace
