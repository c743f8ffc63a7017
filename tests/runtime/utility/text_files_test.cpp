// Arrays written to text files byte for byte, and lists of unsigned numbers
// read back with everything else refused.
#include "support/temp_dir.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const unsigned int kSentinel = 0xDEADBEEF;

// The text with each line end as this system writes it.
std::string SystemLines(const std::string &text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += TextLineEnd();
    else
      out += c;
  }
  return out;
}

class TextFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(temp_.ok()); }
  std::string Path(const char *name) const { return temp_.File(name); }

  // FileToArray over a file holding exactly bytes.
  int ReadNumbers(const std::string &bytes, unsigned int *values, int count) {
    const std::string path = Path("numbers.cfg");
    if (!WriteBytes(path, bytes)) return -1000;
    return FileToArray(path.c_str(), values, count);
  }

  TempDir temp_;
};

// ---- Writing ---------------------------------------------------------------------

TEST_F(TextFilesTest, OneValuePerLineRightAlignedInItsField) {
#ifdef _WIN32
  EXPECT_STREQ(TextLineEnd(), "\r\n") << "text files on Windows end their lines with CR LF";
#else
  EXPECT_STREQ(TextLineEnd(), "\n");
#endif
  const std::string path = Path("KVORpara.cfg");
  const unsigned short words[4] = {500, 50, 65535, 0};
  const int n = ArrayToFile(path.c_str(), words, VAL_UNSIGNED_SHORT_INTEGER, 4, VAL_ONE_PER_LINE, 10,
                            VAL_TRUNCATE);
  const std::string expected = SystemLines("       500\n        50\n     65535\n         0\n");
  EXPECT_EQ(ReadBytes(path), expected);
  EXPECT_EQ(n, static_cast<int>(expected.size()));

  // Wider than the field: the number is written whole.
  const int big[1] = {-1234567890};
  ASSERT_GT(ArrayToFile(path.c_str(), big, VAL_INTEGER, 1, VAL_ONE_PER_LINE, 5, VAL_TRUNCATE), 0);
  EXPECT_EQ(ReadBytes(path), SystemLines("-1234567890\n"));
}

TEST_F(TextFilesTest, TabLineWithSignedValuesAndPadding) {
  const std::string path = Path("KVorRecord.dat");
  const int sample[6] = {1024, 2048, 1024, -37000, 2, 2};
  ASSERT_GT(ArrayToFile(path.c_str(), sample, VAL_INTEGER, 6, VAL_ONE_LINE_TABS, 0, VAL_TRUNCATE), 0);
  EXPECT_EQ(ReadBytes(path), SystemLines("1024\t2048\t1024\t-37000\t2\t2\n"));

  const unsigned int interval[1] = {5};
  ASSERT_GT(ArrayToFile(path.c_str(), interval, VAL_UNSIGNED_INTEGER, 1, VAL_ONE_LINE_TABS, 5,
                        VAL_TRUNCATE),
            0);
  EXPECT_EQ(ReadBytes(path), SystemLines("    5\n"));

  const short pair[2] = {-7, 12};
  ASSERT_GT(ArrayToFile(path.c_str(), pair, VAL_SHORT_INTEGER, 2, VAL_ONE_LINE_TABS, 4, VAL_TRUNCATE), 0);
  EXPECT_EQ(ReadBytes(path), SystemLines("  -7\t  12\n"));
}

TEST_F(TextFilesTest, PlainTextIsWrittenByteForByteAndAppendKeepsWhatWasThere) {
  const std::string path = Path("KVorRecord.dat");
  const char header[] = "SETPOINT-VALUE [\xB5m]: ";
  const int length = static_cast<int>(std::strlen(header));
  ASSERT_EQ(ArrayToFile(path.c_str(), header, VAL_CHAR, length, VAL_PLAIN_TEXT, 0, VAL_TRUNCATE), length);
  const unsigned int setpoint[1] = {37000};
  ASSERT_GT(ArrayToFile(path.c_str(), setpoint, VAL_UNSIGNED_INTEGER, 1, VAL_ONE_LINE_TABS, 0, VAL_APPEND),
            0);
  const std::string bytes = ReadBytes(path);
  EXPECT_EQ(bytes, SystemLines("SETPOINT-VALUE [\xB5m]: 37000\n"));
  EXPECT_EQ(static_cast<unsigned char>(bytes[16]), 0xB5u) << "the micro sign is the one byte B5";

  // Line feeds become the system's line ends; a CR LF stays one.
  const char lines[] = "time,Aval\n1,2\r\n\n";
  const int linesLength = static_cast<int>(std::strlen(lines));
  ASSERT_GE(ArrayToFile(path.c_str(), lines, VAL_CHAR, linesLength, VAL_PLAIN_TEXT, 0, VAL_TRUNCATE), linesLength);
  EXPECT_EQ(ReadBytes(path), std::string("time,Aval") + TextLineEnd() + "1,2\r\n" + TextLineEnd());

  // Binary bytes, NUL included, go out unchanged.
  const char raw[4] = {'\0', '\r', '\n', '\xFF'};
  ASSERT_EQ(ArrayToFile(path.c_str(), raw, VAL_CHAR, 4, VAL_PLAIN_TEXT, 0, VAL_TRUNCATE), 4);
  EXPECT_EQ(ReadBytes(path), std::string(raw, 4)) << "truncate replaces the earlier content";

  ASSERT_EQ(ArrayToFile(path.c_str(), raw, VAL_CHAR, 0, VAL_PLAIN_TEXT, 0, VAL_TRUNCATE), 0);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(ReadBytes(path), "");
}

TEST_F(TextFilesTest, WritingFailuresAreReported) {
  const int v[1] = {1};
  // A folder where the file should be.
  const std::string folder = Path("folder.dat");
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  EXPECT_EQ(ArrayToFile(folder.c_str(), v, VAL_INTEGER, 1, VAL_ONE_PER_LINE, 0, VAL_TRUNCATE), UTIL_FILE_ERROR);
  EXPECT_EQ(ArrayToFile(folder.c_str(), v, VAL_INTEGER, 1, VAL_ONE_PER_LINE, 0, VAL_APPEND), UTIL_FILE_ERROR);
  EXPECT_EQ(ArrayToFile(Path("missing/sub/x.dat").c_str(), v, VAL_INTEGER, 1, VAL_ONE_PER_LINE, 0,
                        VAL_TRUNCATE),
            UTIL_FILE_ERROR);
#ifndef _WIN32  // Linux's own folders and devices
  // A folder in which nothing can be created, whoever asks.
  EXPECT_EQ(ArrayToFile("/proc/kvor.dat", v, VAL_INTEGER, 1, VAL_ONE_PER_LINE, 0, VAL_TRUNCATE),
            UTIL_FILE_ERROR);
  // A full disk.
  EXPECT_EQ(ArrayToFile("/dev/full", v, VAL_INTEGER, 1, VAL_ONE_PER_LINE, 0, VAL_APPEND), UTIL_FILE_ERROR);
#endif
#ifndef _WIN32
  if (geteuid() != 0) {  // permission bits do not stop the superuser
    const std::string readOnly = Path("ro");
    ASSERT_EQ(mkdir(readOnly.c_str(), 0555), 0);
    EXPECT_EQ(ArrayToFile((readOnly + "/x.dat").c_str(), v, VAL_INTEGER, 1, VAL_ONE_PER_LINE, 0, VAL_TRUNCATE),
              UTIL_FILE_ERROR);
  }
#endif

  const std::string path = Path("ok.dat");
  EXPECT_EQ(ArrayToFile(path.c_str(), v, VAL_INTEGER, 1, VAL_PLAIN_TEXT, 0, VAL_TRUNCATE), UTIL_BAD_ARGUMENT)
      << "plain text is for characters";
  EXPECT_EQ(ArrayToFile(path.c_str(), nullptr, VAL_INTEGER, 1, VAL_ONE_PER_LINE, 0, VAL_TRUNCATE),
            UTIL_BAD_ARGUMENT);
  EXPECT_EQ(ArrayToFile(path.c_str(), v, VAL_INTEGER, -1, VAL_ONE_PER_LINE, 0, VAL_TRUNCATE), UTIL_BAD_ARGUMENT);
  EXPECT_EQ(ArrayToFile(path.c_str(), v, VAL_STRING, 1, VAL_ONE_PER_LINE, 0, VAL_TRUNCATE), UTIL_BAD_ARGUMENT);
  EXPECT_EQ(ArrayToFile(path.c_str(), v, VAL_INTEGER, 1, 7, 0, VAL_TRUNCATE), UTIL_BAD_ARGUMENT);
  EXPECT_EQ(ArrayToFile(path.c_str(), v, VAL_INTEGER, 1, VAL_ONE_PER_LINE, -1, VAL_TRUNCATE), UTIL_BAD_ARGUMENT);
  EXPECT_EQ(ArrayToFile(path.c_str(), v, VAL_INTEGER, 1, VAL_ONE_PER_LINE, 0, 2), UTIL_BAD_ARGUMENT);
  EXPECT_EQ(ArrayToFile(nullptr, v, VAL_INTEGER, 1, VAL_ONE_PER_LINE, 0, VAL_TRUNCATE), UTIL_BAD_ARGUMENT);
  EXPECT_FALSE(std::filesystem::exists(path)) << "refused calls create no file";
}

// ---- Reading ---------------------------------------------------------------------

TEST_F(TextFilesTest, ThirtyWordsWrittenInTheirFieldsReadBackExactly) {
  unsigned short words[30];
  for (int i = 0; i < 30; ++i) words[i] = static_cast<unsigned short>(i * 2259);  // up to 65511
  words[29] = 65535;
  const std::string path = Path("KVORpara.cfg");
  ASSERT_GT(ArrayToFile(path.c_str(), words, VAL_UNSIGNED_SHORT_INTEGER, 30, VAL_ONE_PER_LINE, 10, VAL_TRUNCATE),
            0);
  unsigned int values[30];
  ASSERT_EQ(FileToArray(path.c_str(), values, 30), 30);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(values[i], words[i]) << "number " << i + 1;
}

TEST_F(TextFilesTest, BlanksTabsLfAndCrlfAreAllAccepted) {
  unsigned int v[5];
  ASSERT_EQ(ReadNumbers("  1\n2  \n\t3\t\n\n 4 \n5", v, 5), 5) << "last line without a line end";
  EXPECT_EQ(std::vector<unsigned>(v, v + 5), (std::vector<unsigned>{1, 2, 3, 4, 5}));
  ASSERT_EQ(ReadNumbers("       500\r\n        50\r\n0\r\n7 8\r\n", v, 5), 5);
  EXPECT_EQ(std::vector<unsigned>(v, v + 5), (std::vector<unsigned>{500, 50, 0, 7, 8}));
  ASSERT_EQ(ReadNumbers("00042\n", v, 1), 1);
  EXPECT_EQ(v[0], 42u);
  // 64 characters on a line are still fine.
  ASSERT_EQ(ReadNumbers(std::string(61, ' ') + "123\n", v, 1), 1);
  EXPECT_EQ(v[0], 123u);
  EXPECT_EQ(ParseUnsignedList("", 0, v, 0), 0);
}

// A number that does not fit 32 bits is refused, and named, however many
// digits it has: none wraps round to a small one.
TEST_F(TextFilesTest, ANumberAboveThirtyTwoBitsIsRefusedWhateverItsSpelling) {
  unsigned int v[4];
  ASSERT_EQ(ReadNumbers("4294967295 00000500\n" + std::string(30, '0') + "4294967295 0\n", v, 4), 4);
  EXPECT_EQ(std::vector<unsigned>(v, v + 4), (std::vector<unsigned>{4294967295u, 500, 4294967295u, 0}));
  const std::vector<std::pair<std::string, std::string>> tooLarge = {
      {"4294967296", "4294967296"},                      // 0 in 32 bits
      {"4294967796", "4294967796"},                      // 500 in 32 bits
      {"18446744073709551916", "18446744073709551916"},  // 300 in 64 bits as in 32
      {"00000000004294967296", "4294967296"},
      {"1" + std::string(50, '0'), "1" + std::string(50, '0')},  // a multiple of 2^32
      {std::string(64, '9'), std::string(64, '9')},      // as long as a line may be
  };
  for (const auto &[number, digits] : tooLarge) {
    const std::string text = "1 2\r\n" + number + "\n3\n";
    unsigned int values[4];
    std::fill(values, values + 4, kSentinel);
    NumberListFault fault;
    EXPECT_EQ(ParseUnsignedList(text.data(), text.size(), values, 4, &fault), UTIL_FORMAT_ERROR) << number;
    EXPECT_EQ(fault.kind, NUMBERS_OUT_OF_RANGE) << number;
    EXPECT_EQ(fault.line, 2) << number;
    EXPECT_EQ(fault.found, 2) << number;
    EXPECT_EQ(std::string(fault.digits), digits);
    for (unsigned int value : values) ASSERT_EQ(value, kSentinel) << number;
    EXPECT_EQ(ReadNumbers(text, values, 4), UTIL_FORMAT_ERROR) << number;
  }
}

TEST_F(TextFilesTest, AnythingButAListOfTheRightLengthIsRefusedAndChangesNothing) {
  std::string thirty;
  for (int i = 0; i < 30; ++i) thirty += std::to_string(i) + "\n";
  std::string twentyNine;
  for (int i = 0; i < 29; ++i) twentyNine += std::to_string(i) + "\n";
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"29 numbers", twentyNine},
      {"31 numbers", thirty + "30\n"},
      {"empty file", ""},
      {"only blanks", " \n\t\n"},
      {"text", thirty.substr(0, thirty.size() - 3) + "abc\n"},
      {"number glued to text", "12a" + thirty.substr(2)},
      {"minus sign", "-1\n" + thirty.substr(2)},
      {"plus sign", "+1\n" + thirty.substr(2)},
      {"decimal point", "1.5\n" + thirty.substr(2)},
      {"lone carriage return", "0\r1\n" + thirty.substr(4)},
      {"NUL byte", std::string("0\n\0", 3) + thirty.substr(2)},
      {"binary byte", "0\n\x01\n" + thirty.substr(2)},
      {"high byte", "0\n\xB5\n" + thirty.substr(2)},
      {"form feed", "0\f" + thirty.substr(2)},
      {"line of 65 characters", std::string(62, ' ') + "123\n" + thirty.substr(2)},
      {"huge line", std::string(5000, '1') + "\n" + thirty.substr(2)},
      {"2^32 + 500", "4294967796\n" + thirty.substr(2)},
      {"2^64 + 300", thirty.substr(0, thirty.size() - 3) + "18446744073709551916\n"},
  };
  for (const auto &[what, bytes] : refused) {
    unsigned int values[30];
    std::fill(values, values + 30, kSentinel);
    EXPECT_EQ(ReadNumbers(bytes, values, 30), UTIL_FORMAT_ERROR) << what;
    EXPECT_EQ(ParseUnsignedList(bytes.data(), bytes.size(), values, 30), UTIL_FORMAT_ERROR) << what;
    for (int i = 0; i < 30; ++i) ASSERT_EQ(values[i], kSentinel) << what << ": values untouched";
  }
  unsigned int values[30];
  ASSERT_EQ(ReadNumbers(thirty, values, 30), 30) << "the same list at the right length loads";
  EXPECT_EQ(values[29], 29u);
}

TEST_F(TextFilesTest, OnlyRegularFilesOfModestSizeAreRead) {
  unsigned int values[30];
  std::fill(values, values + 30, kSentinel);
  EXPECT_EQ(FileToArray(Path("missing.cfg").c_str(), values, 30), UTIL_FILE_ERROR);
  EXPECT_EQ(FileToArray(temp_.path().c_str(), values, 30), UTIL_FILE_ERROR) << "a folder";
#ifndef _WIN32  // no named pipes in the file system there
  const std::string fifo = Path("pipe.cfg");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(FileToArray(fifo.c_str(), values, 30), UTIL_FILE_ERROR) << "a pipe, without hanging";
#endif

  // 64 KiB of well-formed numbers is the most that is read.
  std::string limit;
  while (limit.size() + 2 <= 64 * 1024) limit += "1\n";
  limit.resize(64 * 1024, ' ');
  unsigned int many[32768];
  EXPECT_EQ(ReadNumbers(limit, many, 32768), 32768);
  EXPECT_EQ(ReadNumbers(limit + "\n", many, 32768), UTIL_FORMAT_ERROR) << "one byte over";
  for (int i = 0; i < 30; ++i) ASSERT_EQ(values[i], kSentinel);

  EXPECT_EQ(FileToArray(nullptr, values, 30), UTIL_BAD_ARGUMENT);
  EXPECT_EQ(FileToArray(Path("x").c_str(), nullptr, 30), UTIL_BAD_ARGUMENT);
  EXPECT_EQ(ParseUnsignedList(nullptr, 5, values, 30), UTIL_BAD_ARGUMENT);
}

}  // namespace
