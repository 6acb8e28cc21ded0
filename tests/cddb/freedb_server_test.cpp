// The CDDB server entry: its archived form and the start-up default with the
// QCR_CDDB_SERVER override, including malformed override values.
#include "cddb/freedb_server.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <tuple>
#include <vector>

#include "cddb/archive.h"

namespace {

TEST(CFreeDBServer, SerializeBytesRoundTripAndDamage) {
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

  CArchive damaged(std::vector<uint8_t>{0xFF, 0xFE, 0xFF, 1, 'h', 0, 80, 0});
  EXPECT_THROW(loaded.Serialize(damaged), CArchiveException);
}

// Sets QCR_CDDB_SERVER (unsets it for nullptr) and returns the entry made.
CFreeDBServer DefaultWith(const char* value, std::string& notice) {
  if (value)
    setenv(kCDDBServerVariable, value, 1);
  else
    unsetenv(kCDDBServerVariable);
  notice = "stale";
  CFreeDBServer server = DefaultFreeDBServer(&notice);
  EXPECT_EQ(DefaultFreeDBServer().Port, server.Port);
  return server;
}

TEST(DefaultFreeDBServer, OverrideValues) {
  const char* old = getenv(kCDDBServerVariable);
  const std::string saved = old ? old : "";
  std::string notice;
  // Only host and port are replaced.
  const std::tuple<const char*, const char*, int> accepted[] = {{nullptr, "gnudb.gnudb.org", 80},
                                                                {"", "gnudb.gnudb.org", 80},
                                                                {"127.0.0.1:45678", "127.0.0.1", 45678},
                                                                {"localhost:1", "localhost", 1},
                                                                {"127.0.0.1:65535", "127.0.0.1", 65535}};
  for (const auto& [value, host, port] : accepted) {
    EXPECT_EQ(DefaultWith(value, notice), CFreeDBServer(host, port, 60000, 6)) << (value ? value : "unset");
    EXPECT_TRUE(notice.empty()) << notice;
  }
  for (const char* value :
       {"127.0.0.1", "127.0.0.1:", ":8080", "127.0.0.1:0", "127.0.0.1:65536", "localhost:-1", "localhost:8o",
        "localhost:123456", "::1:80", "local host:80", "host/x:80", "localhost:+80"}) {
    EXPECT_EQ(DefaultWith(value, notice), CFreeDBServer("gnudb.gnudb.org", 80, 60000, 6)) << value;
    EXPECT_NE(notice.find("QCR_CDDB_SERVER"), std::string::npos) << notice;
    EXPECT_NE(notice.find("ignored"), std::string::npos) << notice;
  }
  if (old)
    setenv(kCDDBServerVariable, saved.c_str(), 1);
  else
    unsetenv(kCDDBServerVariable);
}

TEST(ParseServerOverride, FailureLeavesHostAndPortAlone) {
  std::string host = "kept", reason;
  int port = 1;
  EXPECT_FALSE(ParseServerOverride("nohost", host, port, reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(host, "kept");
  EXPECT_EQ(port, 1);
}

}  // namespace
