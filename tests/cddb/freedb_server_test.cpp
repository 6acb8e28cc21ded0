// The CDDB server entry: its archived form and the start-up default with the
// QCR_CDDB_SERVER override, including malformed override values.
#include "cddb/freedb_server.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "cddb/archive.h"

namespace {

// Sets QCR_CDDB_SERVER for one test and restores the previous state.
class ServerVariable {
 public:
  explicit ServerVariable(const char* value) {
    if (const char* old = getenv(kCDDBServerVariable)) old_ = old, had_ = true;
    if (value)
      setenv(kCDDBServerVariable, value, 1);
    else
      unsetenv(kCDDBServerVariable);
  }
  ~ServerVariable() {
    if (had_)
      setenv(kCDDBServerVariable, old_.c_str(), 1);
    else
      unsetenv(kCDDBServerVariable);
  }

 private:
  std::string old_;
  bool had_ = false;
};

TEST(CFreeDBServer, SerializeRoundTripAndBytes) {
  CFreeDBServer server("127.0.0.1", 8880, 60000, 6);
  CArchive ar;
  server.Serialize(ar);
  std::vector<uint8_t> expected = {0xFF, 0xFE, 0xFF, 9,   '1', 0,   '2', 0,   '7', 0,    '.',  0, '0',
                                   0,    '.',  0,    '0', 0,   '.', 0,   '1', 0,   0xB0, 0x22, 0, 0,  // port
                                   0x60, 0xEA, 0,    0,   // time-out
                                   6,    0,    0,    0};  // level
  EXPECT_EQ(ar.Bytes(), expected);
  CFreeDBServer loaded;
  CArchive in(ar.Bytes());
  loaded.Serialize(in);
  EXPECT_EQ(loaded, server);
}

TEST(CFreeDBServer, DamagedEntryFails) {
  CFreeDBServer server("host", 80, 1, 6);
  CArchive in(std::vector<uint8_t>{0xFF, 0xFE, 0xFF, 1, 'h', 0, 80, 0});
  EXPECT_THROW(server.Serialize(in), CArchiveException);
}

TEST(DefaultFreeDBServer, WithoutOverride) {
  ServerVariable unset(nullptr);
  std::string notice = "stale";
  CFreeDBServer server = DefaultFreeDBServer(&notice);
  EXPECT_EQ(server, CFreeDBServer("gnudb.gnudb.org", 80, 60000, 6));
  EXPECT_TRUE(notice.empty());
  ServerVariable empty("");
  EXPECT_EQ(DefaultFreeDBServer(&notice).Host, "gnudb.gnudb.org");
  EXPECT_TRUE(notice.empty());
}

TEST(DefaultFreeDBServer, OverrideReplacesHostAndPortOnly) {
  ServerVariable set("127.0.0.1:45678");
  std::string notice;
  EXPECT_EQ(DefaultFreeDBServer(&notice), CFreeDBServer("127.0.0.1", 45678, 60000, 6));
  EXPECT_TRUE(notice.empty());
  EXPECT_EQ(DefaultFreeDBServer().Port, 45678);
}

TEST(DefaultFreeDBServer, MalformedOverrideIsIgnoredWithAReason) {
  const std::vector<const char*> values = {
      "127.0.0.1",    "127.0.0.1:",       ":8080",  "127.0.0.1:0",   "127.0.0.1:65536", "localhost:-1",
      "localhost:8o", "localhost:123456", "::1:80", "local host:80", "host/x:80",       "localhost:+80"};
  for (const char* value : values) {
    SCOPED_TRACE(value);
    ServerVariable set(value);
    std::string notice;
    EXPECT_EQ(DefaultFreeDBServer(&notice), CFreeDBServer("gnudb.gnudb.org", 80, 60000, 6));
    EXPECT_NE(notice.find("QCR_CDDB_SERVER"), std::string::npos) << notice;
    EXPECT_NE(notice.find("ignored"), std::string::npos) << notice;
  }
}

TEST(ParseServerOverride, AcceptsNamesAndAddresses) {
  std::string host = "old";
  int port = 1;
  std::string reason;
  EXPECT_TRUE(ParseServerOverride("localhost:1", host, port, reason));
  EXPECT_EQ(host, "localhost");
  EXPECT_EQ(port, 1);
  EXPECT_TRUE(ParseServerOverride("127.0.0.1:65535", host, port, reason));
  EXPECT_EQ(host, "127.0.0.1");
  EXPECT_EQ(port, 65535);
  EXPECT_FALSE(ParseServerOverride("nohost", host, port, reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(host, "127.0.0.1");  // unchanged after a failure
  EXPECT_EQ(port, 65535);
}

}  // namespace
