// The archive's byte forms: integers, the string length forms, narrow strings
// from other programs, counts, damaged input and file archives.
#include "cddb/archive.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

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

Bytes Concat(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

// `count` UTF-16LE 'x' characters.
Bytes WideX(size_t count) {
  Bytes bytes;
  for (size_t i = 0; i < count; ++i) bytes.insert(bytes.end(), {'x', 0});
  return bytes;
}

CArchiveException::Cause CauseOfLoading(const Bytes& bytes) {
  try {
    CArchive ar(bytes);
    ar.ReadString();
  } catch (const CArchiveException& e) {
    return e.cause();
  }
  ADD_FAILURE() << "loading did not fail";
  return CArchiveException::generic;
}

TEST(Archive, ShortStringForms) {
  EXPECT_EQ(Stored(""), (Bytes{0xFF, 0xFE, 0xFF, 0x00}));
  EXPECT_EQ(Stored("abc"), (Bytes{0xFF, 0xFE, 0xFF, 0x03, 0x61, 0x00, 0x62, 0x00, 0x63, 0x00}));
  // Length counts UTF-16 units: é is one unit, the clef two (a surrogate pair).
  EXPECT_EQ(Stored("\xC3\xA9\xF0\x9D\x84\x9E"),
            (Bytes{0xFF, 0xFE, 0xFF, 0x03, 0xE9, 0x00, 0x34, 0xD8, 0x1E, 0xDD}));
}

TEST(Archive, LongStringForms) {
  struct Case {
    size_t length;
    Bytes prefix;
  };
  const std::vector<Case> cases = {
      {254, {0xFF, 0xFE, 0xFF, 0xFE}},
      {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
      {0xFFFD, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
      {0xFFFE, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {0x10000, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::string text(c.length, 'x');
    Bytes expected = Concat(c.prefix, WideX(c.length));
    EXPECT_EQ(Stored(text), expected);
    EXPECT_EQ(Loaded(expected), text);
  }
}

TEST(Archive, ReadsEveryLengthFormOtherWritersUse) {
  // A wide tag followed by 0xFFFE as a 16-bit length means 65534 characters.
  EXPECT_EQ(Loaded(Concat({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}, WideX(0xFFFE))), std::string(0xFFFE, 'x'));
  // A short length in the 32-bit and the 64-bit forms.
  EXPECT_EQ(Loaded(Concat({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0}, WideX(3))), "xxx");
  EXPECT_EQ(
      Loaded(Concat({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0, 0, 0, 0},
                    WideX(2))),
      "xx");
}

TEST(Archive, NarrowStrings) {
  EXPECT_EQ(Loaded({0x03, 'a', 'b', 'c'}), "abc");
  EXPECT_EQ(Loaded({0x00}), "");
  // Windows-1252 text: "Café – €5".
  EXPECT_EQ(Loaded({0x09, 'C', 'a', 'f', 0xE9, ' ', 0x96, ' ', 0x80, '5'}),
            "Caf\xC3\xA9 \xE2\x80\x93 \xE2\x82\xAC"
            "5");
  // Bytes the code page leaves unassigned keep their number.
  EXPECT_EQ(Loaded({0x02, 0x81, 0x9D}), "\xC2\x81\xC2\x9D");
  // Valid UTF-8 stays as it is.
  EXPECT_EQ(Loaded({0x05, 'C', 'a', 'f', 0xC3, 0xA9}), "Caf\xC3\xA9");
  // A narrow string of 256 bytes uses the 16-bit length without the wide tag.
  Bytes long_narrow = {0xFF, 0x00, 0x01};
  long_narrow.resize(3 + 256, 'n');
  EXPECT_EQ(Loaded(long_narrow), std::string(256, 'n'));
}

TEST(Archive, TextThatHasNoExactForm) {
  // A lone surrogate in a file cannot become UTF-8: it reads as U+FFFD.
  EXPECT_EQ(Loaded({0xFF, 0xFE, 0xFF, 0x02, 0x00, 0xD8, 'a', 0x00}),
            "\xEF\xBF\xBD"
            "a");
  // Invalid UTF-8 in memory is stored as U+FFFD rather than garbage.
  EXPECT_EQ(Stored("a\xFF"), (Bytes{0xFF, 0xFE, 0xFF, 0x02, 'a', 0x00, 0xFD, 0xFF}));
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xE2\x82\xAC\xF0\x9F\x8E\xB5")), "\xE2\x82\xAC\xF0\x9F\x8E\xB5");
}

TEST(Archive, DamagedStrings) {
  struct Case {
    const char* name;
    Bytes bytes;
    CArchiveException::Cause cause;
  };
  const std::vector<Case> cases = {
      {"nothing", {}, CArchiveException::endOfFile},
      {"tag cut", {0xFF, 0xFE}, CArchiveException::endOfFile},
      {"length missing", {0xFF, 0xFE, 0xFF}, CArchiveException::endOfFile},
      {"text cut", {0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 'b', 0, 'c'}, CArchiveException::endOfFile},
      {"narrow cut", {0x05, 'a', 'b'}, CArchiveException::endOfFile},
      {"huge 32-bit length",
       {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 'a', 0},
       CArchiveException::endOfFile},
      {"64-bit length above 2^31-1",
       {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0},
       CArchiveException::generic},
      {"64-bit length of 2^31-1 with no text",
       {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0},
       CArchiveException::endOfFile},
      {"64-bit length cut",
       {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0},
       CArchiveException::endOfFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CauseOfLoading(c.bytes), c.cause);
  }
}

TEST(Archive, Counts) {
  CArchive ar;
  ar.WriteCount(0);
  ar.WriteCount(0xFFFE);
  ar.WriteCount(0xFFFF);
  ar.WriteCount(0x12345678);
  EXPECT_EQ(ar.Bytes(), (Bytes{0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x78,
                               0x56, 0x34, 0x12}));
  CArchive in(ar.Bytes());
  EXPECT_EQ(in.ReadCount(0), 0u);
  EXPECT_EQ(in.ReadCount(0), 0xFFFEu);
  EXPECT_EQ(in.ReadCount(0), 0xFFFFu);
  EXPECT_EQ(in.ReadCount(0), 0x12345678u);
}

TEST(Archive, CountsLargerThanTheInputFailBeforeAllocating) {
  // Each would ask for gigabytes if believed; they must fail at once.
  std::vector<int> ints;
  std::vector<std::string> texts;
  CArchive a(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4});
  EXPECT_THROW(a.ReadIntArray(ints), CArchiveException);
  CArchive b(Bytes{0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00});
  EXPECT_THROW(b.ReadStringArray(texts), CArchiveException);
  // Two int elements need 8 bytes; 7 are there.
  CArchive c(Bytes{0x02, 0x00, 1, 2, 3, 4, 5, 6, 7});
  try {
    c.ReadIntArray(ints);
    ADD_FAILURE() << "short int array loaded";
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.cause(), CArchiveException::endOfFile);
  }
  EXPECT_TRUE(ints.empty());
}

TEST(Archive, WrongDirection) {
  CArchive loading(Bytes{0, 0, 0, 0});
  try {
    loading << int32_t{1};
    ADD_FAILURE() << "stored into a loading archive";
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.cause(), CArchiveException::readOnly);
  }
  CArchive storing;
  try {
    storing.ReadString();
    ADD_FAILURE() << "loaded from a storing archive";
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.cause(), CArchiveException::writeOnly);
  }
}

class ArchiveFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qcr-archive-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

TEST_F(ArchiveFile, RoundTripAcrossBufferBoundaries) {
  // Values of many sizes so that reads straddle the 4096-byte buffer, then an
  // array whose count is checked against the whole file, not the buffer.
  const std::string path = dir_ + "/data.bin";
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
}

}  // namespace
