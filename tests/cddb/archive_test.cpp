// The archive's byte forms: the string length forms, narrow strings from other
// programs, counts, damaged input and file archives.
#include "cddb/archive.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
const Bytes kWide = {0xFF, 0xFE, 0xFF};  // the tag of a UTF-16 string

Bytes Stored(const std::string& text) {
  CArchive ar;
  ar.WriteString(text);
  return ar.Bytes();
}

std::string Loaded(const Bytes& bytes) {
  CArchive ar(bytes);
  std::string text = ar.ReadString();
  EXPECT_EQ(ar.Remaining(), 0u);
  return text;
}

// `head` followed by `count` UTF-16LE 'x' characters.
Bytes WithX(Bytes head, size_t count) {
  for (size_t i = 0; i < count; ++i) head.insert(head.end(), {'x', 0});
  return head;
}

CArchiveException::Cause CauseOf(auto&& call) {
  try {
    call();
  } catch (const CArchiveException& e) {
    return e.cause();
  }
  ADD_FAILURE() << "did not fail";
  return CArchiveException::fileError;  // no test expects this cause
}

TEST(Archive, StoredStringForms) {
  const struct {
    std::string text;
    Bytes bytes;
  } cases[] = {
      {"", {0xFF, 0xFE, 0xFF, 0x00}},
      {"abc", {0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 'b', 0, 'c', 0}},
      // Length counts UTF-16 units: é is one unit, the clef two.
      {"\xC3\xA9\xF0\x9D\x84\x9E", {0xFF, 0xFE, 0xFF, 0x03, 0xE9, 0x00, 0x34, 0xD8, 0x1E, 0xDD}},
      {std::string(254, 'x'), WithX({0xFF, 0xFE, 0xFF, 0xFE}, 254)},
      {std::string(255, 'x'), WithX({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}, 255)},
      {std::string(0xFFFD, 'x'), WithX({0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}, 0xFFFD)},
      {std::string(0xFFFE, 'x'), WithX({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0}, 0xFFFE)},
      {std::string(0x10000, 'x'), WithX({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 1, 0}, 0x10000)},
      // A surrogate pair across the loader's 2048-unit pieces.
      {std::string(2047, 'x') + "\xF0\x9D\x84\x9E",
       [] {
         Bytes b = WithX({0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x08}, 2047);
         b.insert(b.end(), {0x34, 0xD8, 0x1E, 0xDD});
         return b;
       }()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.size());
    EXPECT_EQ(Stored(c.text), c.bytes);
    EXPECT_EQ(Loaded(c.bytes), c.text);
  }
  // Invalid UTF-8 in memory is stored as U+FFFD rather than garbage.
  EXPECT_EQ(Stored("a\xFF"), (Bytes{0xFF, 0xFE, 0xFF, 0x02, 'a', 0x00, 0xFD, 0xFF}));
}

TEST(Archive, LoadsFormsOtherWritersUse) {
  Bytes long_narrow = {0xFF, 0x00, 0x01};  // 16-bit length without the wide tag
  long_narrow.resize(3 + 256, 'n');
  const struct {
    const char* name;
    Bytes bytes;
    std::string text;
  } cases[] = {
      {"0xFFFE as a 16-bit length", WithX({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}, 0xFFFE),
       std::string(0xFFFE, 'x')},
      {"short 32-bit length", WithX({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0}, 3), "xxx"},
      {"short 64-bit length",
       WithX({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0, 0, 0, 0}, 2), "xx"},
      {"lone surrogate",
       {0xFF, 0xFE, 0xFF, 0x02, 0x00, 0xD8, 'a', 0x00},
       "\xEF\xBF\xBD"
       "a"},
      {"lone surrogate at the end", {0xFF, 0xFE, 0xFF, 0x02, 'a', 0x00, 0x00, 0xD8}, "a\xEF\xBF\xBD"},
      {"narrow", {0x03, 'a', 'b', 'c'}, "abc"},
      {"narrow empty", {0x00}, ""},
      {"Windows-1252",
       {0x09, 'C', 'a', 'f', 0xE9, ' ', 0x96, ' ', 0x80, '5'},
       "Caf\xC3\xA9 \xE2\x80\x93 \xE2\x82\xAC"
       "5"},
      {"unassigned in 1252", {0x02, 0x81, 0x9D}, "\xC2\x81\xC2\x9D"},
      {"narrow UTF-8", {0x05, 'C', 'a', 'f', 0xC3, 0xA9}, "Caf\xC3\xA9"},
      {"narrow of 256 bytes", long_narrow, std::string(256, 'n')},
  };
  for (const auto& c : cases) EXPECT_EQ(Loaded(c.bytes), c.text) << c.name;
}

TEST(Archive, DamagedInput) {
  const auto kEnd = CArchiveException::endOfFile;
  const struct {
    const char* name;
    Bytes bytes;
    CArchiveException::Cause cause;
  } strings[] = {
      {"nothing", {}, kEnd},
      {"tag cut", {0xFF, 0xFE}, kEnd},
      {"length missing", {0xFF, 0xFE, 0xFF}, kEnd},
      {"text cut", {0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 'b', 0, 'c'}, kEnd},
      {"narrow cut", {0x05, 'a', 'b'}, kEnd},
      {"huge 32-bit length", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 'a', 0}, kEnd},
      {"64-bit length above 2^31-1",
       {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0},
       CArchiveException::generic},
      {"64-bit length of 2^31-1 with no text",
       {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0},
       kEnd},
      {"64-bit length cut", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0}, kEnd},
  };
  for (const auto& c : strings) {
    EXPECT_EQ(CauseOf([&] { CArchive(c.bytes).ReadString(); }), c.cause) << c.name;
  }
  // Counts that would ask for gigabytes if believed must fail at once.
  std::vector<int> ints;
  std::vector<std::string> texts;
  CArchive a(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4});
  EXPECT_THROW(a.ReadIntArray(ints), CArchiveException);
  CArchive b(Bytes{0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00});
  EXPECT_THROW(b.ReadStringArray(texts), CArchiveException);
  CArchive limited(Bytes{0x03, 0x00, 0x00, 0x00, 0x00});  // three empty strings, two allowed
  EXPECT_EQ(CauseOf([&] { limited.ReadStringArray(texts, 2); }), CArchiveException::generic);
  CArchive c(Bytes{0x02, 0x00, 1, 2, 3, 4, 5, 6, 7});  // two ints need 8 bytes
  EXPECT_EQ(CauseOf([&] { c.ReadIntArray(ints); }), kEnd);
  EXPECT_TRUE(ints.empty());
  // Used in the wrong direction.
  CArchive loading(Bytes{0, 0, 0, 0}), storing;
  EXPECT_EQ(CauseOf([&] { loading << int32_t{1}; }), CArchiveException::readOnly);
  EXPECT_EQ(CauseOf([&] { storing.ReadString(); }), CArchiveException::writeOnly);
}

TEST(Archive, Counts) {
  CArchive ar;
  for (uint32_t count : {0u, 0xFFFEu, 0xFFFFu, 0x12345678u}) ar.WriteCount(count);
  EXPECT_EQ(ar.Bytes(), (Bytes{0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x78,
                               0x56, 0x34, 0x12}));
  CArchive in(ar.Bytes());
  for (uint32_t count : {0u, 0xFFFEu, 0xFFFFu, 0x12345678u}) EXPECT_EQ(in.ReadCount(0), count);
}

TEST(Archive, FileRoundTripAcrossBufferBoundaries) {
  char pattern[] = "/tmp/qcr-archive-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string path = std::string(pattern) + "/data.bin";
  // Values of many sizes so that reads straddle the 4096-byte buffer, then an
  // array whose count is checked against the whole file, not the buffer.
  std::vector<int> ints(5000);
  for (size_t i = 0; i < ints.size(); ++i) ints[i] = static_cast<int>(i * 7);
  auto text_of = [](int i) {
    return std::string(static_cast<size_t>(i % 40), static_cast<char>('a' + i % 26));
  };
  {
    CArchive ar(path, CArchive::store);
    for (int i = 0; i < 300; ++i) ar << int32_t{i} << text_of(i);
    ar.WriteIntArray(ints);
    ar.Close();
  }
  CArchive in(path, CArchive::load);
  for (int i = 0; i < 300; ++i) {
    int32_t value = -1;
    std::string text;
    in >> value >> text;
    ASSERT_EQ(value, i);
    ASSERT_EQ(text, text_of(i));
  }
  std::vector<int> back;
  in.ReadIntArray(back);
  EXPECT_EQ(back, ints);
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_THROW(in.ReadUInt8(), CArchiveException);
  std::filesystem::remove_all(pattern);
}

}  // namespace
