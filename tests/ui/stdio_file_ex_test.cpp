// The UTF-16LE / UTF-8 text file: reading files other programs wrote, writing
// and appending in each encoding, line ends, marks and damaged input.
#include "ui/core/stdio_file_ex.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using F = CStdioFileEx;

constexpr std::uint32_t kAppendUnicode =
    F::modeCreate | F::modeNoTruncate | F::modeWrite | F::UnicodeFileFlag;
const std::string kFixtures = std::string(QCR_TEST_DATA_DIR) + "/text/";

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string Utf16Bytes(const std::u16string& text) {
  std::string out;
  for (char16_t u : text) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
  return out;
}

std::vector<std::string> ReadLines(const std::string& path, std::uint32_t flags = F::modeRead,
                                   int* damaged = nullptr) {
  F file;
  EXPECT_TRUE(file.Open(path, flags));
  std::vector<std::string> lines;
  std::string line;
  while (file.ReadString(line)) lines.push_back(line);
  EXPECT_TRUE(line.empty());
  EXPECT_FALSE(file.HasError());
  if (damaged) *damaged = file.DamagedLineCount();
  return lines;
}

class StdioFileExTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "qcr-stdio-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
};

// Writes `lines` in one go (append mode, seeking to the end first).
void Append(const std::string& path, std::uint32_t flags, const std::vector<std::string>& lines,
            bool expectUnicode) {
  F file;
  ASSERT_TRUE(file.Open(path, flags));
  EXPECT_EQ(file.IsUnicode(), expectUnicode) << path;
  file.SeekToEnd();
  for (const std::string& line : lines) ASSERT_TRUE(file.WriteString(line));
  ASSERT_TRUE(file.Close());
}

TEST_F(StdioFileExTest, ReadsFilesWrittenByOtherProgramsWhateverTheFlagsSay) {
  int damaged = -1;
  EXPECT_EQ(ReadLines(kFixtures + "utf16le_bom_crlf.txt", F::modeRead, &damaged),
            (std::vector<std::string>{"First line", "Zweite Zeile äöü", "日本語 line", "note 🎵 end", "",
                                      "last without line feed"}));
  EXPECT_EQ(damaged, 0);
  // The mark is skipped only because it is there: no character is lost.
  EXPECT_EQ(ReadLines(kFixtures + "utf8_bom.txt"),
            (std::vector<std::string>{"Grüße aus Köln", "second line"}));
  EXPECT_EQ(ReadLines(kFixtures + "utf8_plain.txt", F::modeRead | F::UnicodeFileFlag),
            (std::vector<std::string>{"plain été", "second", "þird line"}));

  F file;
  ASSERT_TRUE(file.Open(kFixtures + "utf8_plain.txt", F::modeRead | F::UnicodeFileFlag));
  EXPECT_FALSE(file.IsUnicode());
  EXPECT_EQ(file.GetOpenFlags() & (F::typeText | F::typeBinary), F::typeBinary);
  // Seeking back to the start skips the mark again.
  ASSERT_TRUE(file.Open(kFixtures + "utf16le_bom_crlf.txt", F::modeRead));
  EXPECT_TRUE(file.IsUnicode());
  std::string line;
  ASSERT_TRUE(file.ReadString(line) && file.ReadString(line));
  file.SeekToBegin();
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_EQ(line, "First line");
}

TEST_F(StdioFileExTest, BadSequencesAreReportedNotDropped) {
  int damaged = 0;
  EXPECT_EQ(ReadLines(kFixtures + "utf8_bad_sequence.txt", F::modeRead, &damaged),
            (std::vector<std::string>{"good line", "bad \xEF\xBF\xBD byte", "cut \xEF\xBF\xBD", "after"}));
  EXPECT_EQ(damaged, 2);
  WriteFileBytes(Path("one.txt"), "\xFF");  // half a mark
  EXPECT_EQ(ReadLines(Path("one.txt"), F::modeRead, &damaged), (std::vector<std::string>{"\xEF\xBF\xBD"}));
  EXPECT_EQ(damaged, 1);
  WriteFileBytes(Path("empty.txt"), "");
  EXPECT_TRUE(ReadLines(Path("empty.txt"), F::modeRead | F::UnicodeFileFlag).empty());

  // A lone surrogate and an odd last byte in a UTF-16 file.
  WriteFileBytes(Path("bad16.txt"), "\xFF\xFE" + Utf16Bytes(u"a\xD800z\nok\n") + "x");
  F file;
  ASSERT_TRUE(file.Open(Path("bad16.txt"), F::modeRead));
  std::string line;
  for (auto [text, bad] : {std::pair{"a\xEF\xBF\xBDz", true}, {"ok", false}, {"\xEF\xBF\xBD", true}}) {
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, text);
    EXPECT_EQ(file.LastLineDamaged(), bad) << text;
  }
  EXPECT_FALSE(file.ReadString(line));
  EXPECT_EQ(file.DamagedLineCount(), 2);

  // Invalid text is written replaced, and reported.
  ASSERT_TRUE(file.Open(Path("w.txt"), F::modeCreate | F::modeWrite | F::UnicodeFileFlag));
  ASSERT_TRUE(file.WriteString("ok\r\n"));
  EXPECT_FALSE(file.LastLineDamaged());
  ASSERT_TRUE(file.WriteString("a\xC0z\r\n"));
  EXPECT_TRUE(file.LastLineDamaged());
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(ReadFileBytes(Path("w.txt")), "\xFF\xFE" + Utf16Bytes(u"ok\r\na\xFFFDz\r\n"));
}

TEST_F(StdioFileExTest, LineEndsAndLongLinesInBothEncodings) {
  const std::u16string content = u"abc\r\nabc\r\r\n\r\nx\0y\nlast"s;
  const std::vector<std::string> expected = {"abc", "abc\r", "", "x", "last"};
  WriteFileBytes(Path("n.txt"), std::string(content.begin(), content.end()));
  WriteFileBytes(Path("w.txt"), "\xFF\xFE" + Utf16Bytes(content));
  EXPECT_EQ(ReadLines(Path("n.txt")), expected);
  EXPECT_EQ(ReadLines(Path("w.txt")), expected);
  const std::string longLine(5000, 'L');
  for (std::uint32_t unicode : {0u, F::UnicodeFileFlag}) {
    const std::string path = Path(unicode ? "long16.txt" : "long8.txt");
    Append(path, F::modeCreate | F::modeWrite | unicode, {longLine + "\r\nshort\r\n"}, unicode != 0);
    EXPECT_EQ(ReadLines(path), (std::vector<std::string>{longLine, "short"}));
  }
}

TEST_F(StdioFileExTest, AppendingKeepsTheEncodingAndOneMark) {
  // A new UTF-16 file gets one mark across appends.
  Append(Path("log.txt"), kAppendUnicode, {"one\r\n"}, true);
  Append(Path("log.txt"), kAppendUnicode, {"zwei ü\r\n"}, true);
  EXPECT_EQ(ReadFileBytes(Path("log.txt")), "\xFF\xFE" + Utf16Bytes(u"one\r\nzwei ü\r\n"));
  // A narrow file stays narrow although UTF-16 was asked for, and the other way round.
  WriteFileBytes(Path("narrow.txt"), "old\r\n");
  Append(Path("narrow.txt"), kAppendUnicode, {"neu ß\r\n"}, false);
  EXPECT_EQ(ReadFileBytes(Path("narrow.txt")), "old\r\nneu ß\r\n");
  WriteFileBytes(Path("wide.txt"), "\xFF\xFE" + Utf16Bytes(u"old\r\n"));
  Append(Path("wide.txt"), F::modeCreate | F::modeNoTruncate | F::modeWrite, {"new\r\n"}, true);
  EXPECT_EQ(ReadFileBytes(Path("wide.txt")), "\xFF\xFE" + Utf16Bytes(u"old\r\nnew\r\n"));
}

TEST_F(StdioFileExTest, Utf8CodePageWritesItsMarkAndTheSystemOneNone) {
  F file;
  EXPECT_FALSE(file.SetCodePage(1252));
  EXPECT_EQ(file.GetCodePage(), F::kSystemCodePage);
  Append(Path("plain.txt"), F::modeCreate | F::modeWrite, {"x\r\n"}, false);
  EXPECT_EQ(ReadFileBytes(Path("plain.txt")), "x\r\n");
  ASSERT_TRUE(file.SetCodePage(F::kUtf8CodePage));
  ASSERT_TRUE(file.Open(Path("bom8.txt"), F::modeCreate | F::modeWrite));
  ASSERT_TRUE(file.WriteString("Ärger\r\n") && file.WriteString("zwei\r\n") && file.Close());
  EXPECT_EQ(ReadFileBytes(Path("bom8.txt")), "\xEF\xBB\xBF\xC3\x84rger\r\nzwei\r\n");
  EXPECT_EQ(ReadLines(Path("bom8.txt")), (std::vector<std::string>{"Ärger", "zwei"}));
}

TEST_F(StdioFileExTest, ReadWriteModeSwitchesBetweenReadingAndWriting) {
  const std::string path = Path("rw.txt");
  WriteFileBytes(path, "\xFF\xFE" + Utf16Bytes(u"first\r\n"));
  F file;
  ASSERT_TRUE(file.Open(path, F::modeReadWrite));
  std::string line;
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_EQ(line, "first");
  ASSERT_TRUE(file.WriteString("second\r\n"));
  file.SeekToBegin();
  ASSERT_TRUE(file.ReadString(line) && file.ReadString(line));
  EXPECT_EQ(line, "second");
  EXPECT_FALSE(file.ReadString(line));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(ReadFileBytes(path), "\xFF\xFE" + Utf16Bytes(u"first\r\nsecond\r\n"));
}

TEST_F(StdioFileExTest, OpenFailuresAndAFullDiskAreReported) {
  F file;
  std::string error;
  EXPECT_FALSE(file.Open(Path("missing.txt"), F::modeRead, &error));
  EXPECT_NE(error.find("missing.txt"), std::string::npos);
  EXPECT_FALSE(file.Open(Path("missing.txt"), F::modeWrite));  // no modeCreate: must exist
  EXPECT_FALSE(file.Open(dir_, F::modeRead, &error));          // a folder
  EXPECT_FALSE(file.Open(Path("no/such/folder.txt"), kAppendUnicode));
  EXPECT_FALSE(file.Open(Path("x.txt"), F::modeCreate | 0x3));  // not an access mode
  EXPECT_FALSE(file.IsOpen());
  std::string line = "stale";
  EXPECT_FALSE(file.ReadString(line));
  EXPECT_TRUE(line.empty());
  EXPECT_FALSE(file.WriteString("x"));
  EXPECT_EQ(file.GetPosition(), -1);

  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  ASSERT_TRUE(file.Open("/dev/full", F::modeWrite));
  const bool wrote = file.WriteString(std::string(100000, 'x'));
  const bool closed = file.Close();
  EXPECT_FALSE(wrote && closed);
}

}  // namespace
