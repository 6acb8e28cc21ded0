// The CDDB server entry and the start-up default with its environment override.
#include "cddb/freedb_server.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>

#include "cddb/archive.h"

std::vector<CFreeDBServer> ServerList;

void CFreeDBServer::Serialize(CArchive& ar) {
  if (ar.IsStoring())
    ar << Host << Port << Timeout << ProtocolLevel;
  else
    ar >> Host >> Port >> Timeout >> ProtocolLevel;
}

bool ParseServerOverride(std::string_view value, std::string& host, int& port, std::string& reason) {
  size_t colon = value.rfind(':');
  if (colon == std::string_view::npos) {
    reason = "expected host:port";
    return false;
  }
  std::string_view name = value.substr(0, colon);
  std::string_view digits = value.substr(colon + 1);
  if (name.empty()) {
    reason = "the host is empty";
    return false;
  }
  auto bad_char = [](char c) { return c == ':' || c == '/' || static_cast<unsigned char>(c) <= ' '; };
  if (std::any_of(name.begin(), name.end(), bad_char)) {
    reason = "the host may not contain ':', '/', blanks or control characters";
    return false;
  }
  int number = 0;
  bool digits_ok = !digits.empty() && digits.size() <= 5 &&
                   std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (digits_ok)
    for (char c : digits) number = number * 10 + (c - '0');
  if (!digits_ok || number < 1 || number > 65535) {
    reason = "the port must be a number from 1 to 65535";
    return false;
  }
  host.assign(name);
  port = number;
  return true;
}

CFreeDBServer DefaultFreeDBServer(std::string* notice) {
  CFreeDBServer server(kDefaultCDDBHost, kDefaultCDDBPort, kDefaultCDDBTimeout, kDefaultCDDBProtocolLevel);
  if (notice) notice->clear();
  const char* value = std::getenv(kCDDBServerVariable);
  if (!value || !*value) return server;
  std::string reason;
  if (!ParseServerOverride(value, server.Host, server.Port, reason) && notice)
    *notice = fmt::format("{}=\"{}\" ignored: {}", kCDDBServerVariable, value, reason);
  return server;
}
