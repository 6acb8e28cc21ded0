// The CDDB protocol client: one HTTP/1.0 request per command to a server's
// CGI program (directly or through an HTTP proxy), the reply read with a
// time-out, and the parsers that turn reply bodies and xmcd records into the
// types of cddb/cddb_record.h. Every failure is logged through the client's
// host (cddb/cddb_host.h), the lookup results are cleared, and a
// CCDDBException is thrown.
//
// Texts: replies are kept as the bytes received ("narrow" text) until a value
// is decoded by NarrowToString, which reads UTF-8 from protocol level 6 on and
// ISO-8859-1 below it. Everything else is UTF-8.
#pragma once

#include <cstdint>
#include <exception>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

#include "cddb/cddb_host.h"
#include "cddb/cddb_record.h"
#include "cddb/wsocket.h"

// Facilities of CCDDBException codes: the client's own numbers (whose texts
// would come from the application's string table, which holds none of them,
// so their message is empty) and system error numbers.
inline constexpr uint32_t kCDDBFacilityClient = 4;
inline constexpr uint32_t kCDDBFacilitySystem = 7;

// Error numbers the client raises.
inline constexpr uint32_t kCDDBErrorNoMemory = 14;       // with kCDDBFacilitySystem
inline constexpr uint32_t kCDDBErrorNoReply = 516;       // no code facility
inline constexpr uint32_t kCDDBErrorBadRecord = 517;     // no code facility
inline constexpr uint32_t kCDDBErrorFileTooLarge = 520;  // kCDDBFacilityClient from here on
inline constexpr uint32_t kCDDBErrorFileEmpty = 521;
inline constexpr uint32_t kCDDBErrorFileNotParsed = 522;
inline constexpr uint32_t kCDDBErrorNoFileSection = 523;
inline constexpr uint32_t kCDDBErrorConnectionClosed = 524;

// A reply that grows past this many bytes is abandoned (EMSGSIZE).
inline constexpr size_t kCDDBMaxReplyBytes = 16u << 20;
// A whole reply must arrive within this many time-outs (CCDDB::Timeout).
inline constexpr int kCDDBReplyTimeouts = 5;

// The message of a kCDDBErrorNoReply for a reply that came in time but held
// nothing the client could use (no match, a status that answers nothing, a
// damaged reply). The code's own text is that of the time-out.
inline constexpr const char* kCDDBNoUsableAnswerText = "The CDDB server gave no usable answer.";

// The most matches a query reply gives: every match is read with a request of
// its own before the user picks one, and a chooser of more rows would be of
// no use. The lines after them are dropped (and logged as dropped).
inline constexpr size_t kCDDBMaxMatches = 20;

// The message text of a code that is not in the client facility: the
// platform's text for system and socket error numbers, and fixed texts for
// 14, 516 and 517. Empty when there is none.
std::string CDDBSystemMessage(uint32_t number);

class CCDDBException : public std::exception {
 public:
  // Stores `code` unchanged.
  CCDDBException(uint32_t code, std::string text);
  // Code = number | 0x80000000 | facility << 16.
  CCDDBException(uint32_t number, uint32_t facility, std::string text);
  // Stores `code` unchanged, with `message` in place of the code's own text.
  CCDDBException(uint32_t code, std::string text, std::string message);

  // The message of the code, cut to at most maxChars - 1 bytes: the message
  // given at construction, if any; else empty for the client facility and
  // CDDBSystemMessage of the low 16 bits otherwise. Returns 1 when
  // there was a text, else stores an empty string and returns 0. The help
  // context, when asked for, is always 0.
  int GetErrorMessage(std::string& message, size_t maxChars = 4096, unsigned* helpContext = nullptr) const;

  uint32_t Facility() const { return (Code >> 16) & 0x1FFF; }
  const char* what() const noexcept override { return what_.c_str(); }

  uint32_t Code;
  std::string Text;  // the reply text, or empty

 private:
  std::string message_;
  std::string what_;
};

// What a server's "stat" command reports.
struct CCDDBStatus {
  int CurrentProtocol = 0;
  int MaxProtocol = 0;
  bool Gets = false;
  bool Updates = false;
  bool Posting = false;
  bool Quotes = false;
  int CurrentUsers = 0;
  int MaxUsers = 0;
  bool StripExtended = false;
  int DatabaseEntries = 0;
  std::vector<std::string> CategoryNames;
  std::vector<int> CategoryCounts;
  std::vector<std::string> PendingNames;
  std::vector<int> PendingCounts;
};

class CCDDB {
 public:
  enum ReadMode : int {
    ReadModePlain = 0,  // read up to the terminator
    ReadModeQuery = 1,  // also stop after a body whose status is not a list (2 acts the same)
  };

  CCDDB();
  virtual ~CCDDB() = default;
  CCDDB(const CCDDB&) = delete;
  CCDDB& operator=(const CCDDB&) = delete;

  // Where log lines, result clearing and messages go; nullptr: nowhere. The
  // host must outlive its use by the client.
  void SetHost(ICDDBHost* host) { host_ = host ? host : &nullHost_; }
  ICDDBHost& Host() const { return *host_; }

  // A request made while `stop` can be asked to stop ends as soon as it is:
  // the connection is dropped and the request fails as a socket error would,
  // with ECANCELED (kCDDBFacilitySystem), logged and thrown like any other
  // failure. Another thread asks through the token's source; a default token
  // (the initial one) never stops. Set on the thread that makes the requests.
  void SetStopToken(std::stop_token stop) { stop_ = std::move(stop); }

  void SetProtocolLevel(int level) { ProtocolLevel = level; }
  // "auto" (exactly) takes the local host name; the result is sanitised.
  void SetHelloHost(const std::string& host);
  // "auto" (exactly) takes the login name, or "Unknown"; sanitised.
  void SetHelloUser(const std::string& user);
  std::string GetHelloHost() const { return HelloHost; }
  std::string GetHelloUser() const { return HelloUser; }
  const std::string& GetLastResponse() const { return LastResponse; }

  // Fills `results` with the server's matches for the disc, or throws
  // CCDDBException. `positions` holds one entry per track and the lead-out;
  // an empty array throws std::invalid_argument.
  void Query(const CCDDBSite& site, uint32_t discId, const std::vector<CCDDBTrackPosition>& positions,
             std::vector<CCDDBQueryResult>& results);
  // Fills `record` with the server's record of (category, discId), or throws.
  void Read(const CCDDBSite& site, uint32_t discId, const std::string& category, CCDDBRecord& record);

  // --- Protocol operations (cddb.cpp). Every call between them goes through
  // the virtual table, so a derived client may replace any of them.
  virtual std::string GetHelloCommand();
  // 1 when the reply is complete, 0 on time-out (a silence of Timeout, or
  // kCDDBReplyTimeouts x Timeout for the whole reply); throws on close, on
  // socket errors, past kCDDBMaxReplyBytes and on a reply holding a NUL byte
  // (kCDDBErrorBadRecord in plain mode, kCDDBErrorNoReply in query mode). In
  // query mode a reply whose status is no list ends with its status line.
  virtual int ReadResponse(CWSocket& socket, const char* terminator, std::string& response, int mode);
  virtual void ReplaceNonAlphanumeric(std::string& text);
  // Just behind the first blank line, or null.
  virtual const char* GetHTTPBody(const char* text);
  // The number in the first three characters, or -1.
  virtual int GetStatusCode(const char* text);
  virtual std::string GetProxyHeaders(const CCDDBSite& site);
  virtual std::string NarrowToString(const std::string& narrow);
  virtual std::string StringToNarrow(const std::string& text);

  // --- Parsing operations (cddb_parse.cpp).
  virtual void EscapeValue(std::string& value);
  virtual int SplitColonPair(const std::string& line, std::string& key, std::string& value);
  virtual int ParseSitesBody(const char* body, std::vector<CCDDBSite>& sites);
  virtual int ParseSitesLine(CCDDBSite& site, const std::string& line);
  virtual int ParseLinesBody(const char* body, std::vector<std::string>& lines);
  virtual int ParseStatusBody(const char* body, CCDDBStatus& status);
  // Appends at most kCDDBMaxMatches matches of a list.
  virtual int ParseQueryBody(const char* body, const std::string& discIdText,
                             std::vector<CCDDBQueryResult>& results);
  virtual int ParseQueryLine(CCDDBQueryResult& result, const std::string& line);
  virtual int ParseRecordBody(const char* body, CCDDBRecord& record);
  virtual int ParseRecordBodyHelper(CCDDBRecord& record, const char* text);
  virtual void ReadLocalFile(uint32_t discId, const std::string& path, bool singleRecord,
                             CCDDBRecord& record);
  virtual int ParseTextBody(const char* body, std::string& text);
  virtual int ParseSubmitResponse(const char* body);
  virtual std::string FormatKeyValueLine(const std::string& key, const std::string& value);
  virtual void GetNextLine(const char*& cursor, std::string& line);
  virtual int IsCommentLine(const std::string& line, std::string& comment);
  virtual int SplitKeyValue(const std::string& line, std::string& key, std::string& value);

  // Log the failure, clear the lookup results, throw. A number of 0 stands
  // for the current errno.
  [[noreturn]] void ThrowCDDBSystemError(int number, uint32_t facility, const std::string& text);
  [[noreturn]] void ThrowCDDBException(uint32_t code, const std::string& text);
  // The same with `message` in place of the code's own text.
  [[noreturn]] void ThrowCDDBException(uint32_t code, const std::string& text, const std::string& message);

  int Timeout = 60000;      // ms to wait for the connection and for each piece of a reply
  int ReceiveChunk = 1024;  // receive buffer size; each receive asks for one byte less
  std::string ClientName = "DerODIZ";
  std::string ClientVersion = "1.31";
  int ProtocolLevel = 6;
  std::string ProxyHost;  // empty: connect directly
  int ProxyPort = 80;
  std::string ProxyUser;  // empty: no authorisation header
  std::string ProxyPassword;

 protected:
  std::string LastResponse;  // the whole last reply, headers included, decoded
  std::string HelloHost;
  std::string HelloUser;

 private:
  [[noreturn]] void Throw(const CCDDBException& error);
  void ConnectFor(CWSocket& socket, const CCDDBSite& site);
  void SendRequest(CWSocket& socket, const std::string& request);
  void ReportFailure(const std::string& message);

  CNullCDDBHost nullHost_;
  ICDDBHost* host_ = &nullHost_;
  std::stop_token stop_;
};

// The program's one client.
extern CCDDB CDDBClient;
