// The parameter file: what Send writes, what Get loads, and what a
// malformed file does (nothing, with a message).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "params/parameter_file.h"
#include "params/params.h"
#include "support/file_size_limit.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string &path, const std::string &content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string Numbers(const std::vector<long long> &values, const char *lineEnd = "\n") {
  std::string out;
  for (long long v : values) out += std::to_string(v) + lineEnd;
  return out;
}

std::vector<long long> StartValues() {
  return {500, 50, 512, 1, 2048, 50, 50, 1, 1, 1, 1, 0, 1, 1, 0,
          500, 50, 512, 1, 2048, 0,  0,  0, 0, 0, 0, 4096, 0, 37000, 0};
}

class ParameterFile : public support::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, StartOffline());
    testkit::ClearFileSelectCalls();
    testkit::Click(pHandle, MAIN_RBTFILE);
    ASSERT_EQ(3, target);
  }
  std::vector<int> Record() {
    const ParameterRecord &p = parameter;
    return {p.a1,  p.thdA, p.teachA, p.a4,  p.a5,  p.tolUpper, p.tolLower, p.c7,
            p.hardwareMode, p.evalMode, p.c10, p.c11, p.c12, p.c13, p.c14,
            p.b1,  p.thdB, p.teachB, p.b4,  p.b5,  p.r5, p.r6, p.r7, p.r8, p.r9, p.r10,
            static_cast<int>(p.calib), static_cast<int>(p.setpointUm)};
  }
};

TEST_F(ParameterFile, SavingTheStartValuesWritesThirtyNumbersInFieldsOfTen) {
  const std::string path = TempPath("start.cfg");
  SaveParameterFile(path);
  std::string expected;
  for (long long v : StartValues()) {
    const std::string number = std::to_string(v);
    expected += std::string(10 - number.size(), ' ') + number + kFileLineEnd;
  }
  EXPECT_EQ(expected, ReadFile(path));
  EXPECT_EQ("Transmit...", Status());

  const auto calls = testkit::FileSelectCalls();
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ("K-VOR-MS-Series Parameter File", calls[0].title);
  EXPECT_EQ("KVORpara.cfg", calls[0].defaultName);
  EXPECT_EQ("*.cfg", calls[0].filter);
  EXPECT_EQ(std::string(proj_dir), calls[0].directory);
}

TEST_F(ParameterFile, SaveThenLoadRestoresEveryWord) {
  parameter.c14 = 4242;
  parameter.r5 = 1, parameter.r6 = 2, parameter.r7 = 3, parameter.r8 = 4, parameter.r9 = 5,
  parameter.r10 = 65535;
  parameter.calib = 65541;        // not exact in the field's six decimals
  parameter.setpointUm = 123456;
  SetPanelValues();
  const std::vector<int> saved = Record();
  const std::string path = TempPath("all.cfg");
  SaveParameterFile(path);

  parameter = ParameterRecord();
  SetPanelValues();
  LoadParameterFile(path);
  EXPECT_EQ(saved, Record());
  const auto calls = testkit::FileSelectCalls();
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ("K-VOR-MS-Series-Parameter-File", calls[1].title);
}

TEST_F(ParameterFile, LoadingRepairsWhatIsShownButTakesWhatTheFileSays) {
  std::vector<long long> values = StartValues();
  values[9] = 7;       // evaluation mode out of range
  values[26] = 65535;  // the low half of calib at its largest
  const std::string path = TempPath("odd.cfg");
  WriteFile(path, Numbers(values, "\r\n"));
  LoadParameterFile(path);
  EXPECT_EQ(0, parameter.evalMode);  // shown as mode 0 and repaired in the record
  EXPECT_EQ(65535u, parameter.calib);
  EXPECT_EQ("Parameter file loaded!", Status());
}

TEST_F(ParameterFile, BlanksAroundNumbersAndBothLineEndsAreAccepted) {
  std::string content;
  std::vector<long long> values = StartValues();
  values[0] = 777;
  for (size_t i = 0; i < values.size(); ++i)
    content += "  " + std::to_string(values[i]) + (i % 2 ? " \r\n" : "\t\n");
  const std::string path = TempPath("blanks.cfg");
  WriteFile(path, content);
  LoadParameterFile(path);
  EXPECT_EQ(777, parameter.a1);
}

TEST_F(ParameterFile, MalformedFilesChangeNothingAndSaySo) {
  std::vector<long long> longer = StartValues();
  longer.push_back(1);
  std::vector<long long> shorter = StartValues();
  shorter.pop_back();
  std::string binary = Numbers(StartValues());
  binary[7] = '\0';
  std::vector<long long> negative = StartValues();
  negative[3] = -1;
  // Each with what the reader says of it (the command-line tool tells it).
  const std::vector<std::vector<std::string>> files = {
      {"empty", "", "line 1: only 0 numbers, 30 needed"},
      {"29", Numbers(shorter), "line 29: only 29 numbers, 30 needed"},
      {"31", Numbers(longer), "line 31: more than 30 numbers"},
      {"text", "hello\n" + Numbers(shorter), "line 1: 'h' is not part of a number"},
      {"negative", Numbers(negative), "line 4: '-' is not part of a number"},
      {"decimals", "1.5\n" + Numbers(shorter), "line 1: '.' is not part of a number"},
      {"huge-line", std::string(100000, '7') + "\n" + Numbers(shorter), "too large for a parameter file"},
      {"binary", binary, "line 3: byte 0x00 is not part of a number"},
      {"long-line", std::string(70, '7') + "\n" + Numbers(shorter), "line 1: too long for a parameter file"},
      {"lone-cr", "1\r2\n" + Numbers(shorter), "line 1: carriage return without line feed"},
  };
  parameter.a1 = 999;
  SetPanelValues();
  const std::vector<int> before = Record();
  for (const auto &file : files) {
    const std::string path = TempPath(file[0] + ".cfg");
    WriteFile(path, file[1]);
    LoadParameterFile(path);
    EXPECT_EQ(before, Record()) << file[0];
    EXPECT_EQ("Parameter file not loaded: it must hold 30 numbers!", Status()) << file[0];
    ParameterSet set = StartParameterSet();
    char fault[96];
    EXPECT_EQ(PARA_FILE_MALFORMED, ReadParameterFile(path.c_str(), &set, fault, sizeof fault));
    EXPECT_EQ(file[2], fault) << file[0];
    EXPECT_EQ(StartParameterSet().words[4], set.words[4]);
  }
  // A number above 65535, however it is written, is refused with its line:
  // nothing of it is taken, not its low 16 or 32 bits.
  const std::vector<std::vector<std::string>> tooLarge = {
      {"5", "70000", "line 5: 70000 is above 65535"},
      {"5", "0000070000", "line 5: 70000 is above 65535"},
      {"1", "65536", "line 1: 65536 is above 65535"},
      {"29", "4294967796", "line 29: 4294967796 is above 65535"},           // 500 in 32 bits
      {"30", "18446744073709551916", "line 30: 18446744073709551916 is above 65535"},  // 300
  };
  for (const auto &c : tooLarge) {
    std::vector<std::string> lines;
    for (long long v : StartValues()) lines.push_back(std::to_string(v));
    lines[std::stoul(c[0]) - 1] = c[1];
    std::string text;
    for (const std::string &line : lines) text += "  " + line + " \r\n";
    const std::string path = TempPath("large-" + c[1] + ".cfg");
    WriteFile(path, text);
    LoadParameterFile(path);
    EXPECT_EQ(before, Record()) << c[1];
    EXPECT_EQ("Parameter file not loaded: a number in line " + c[0] + " is above 65535!", Status()) << c[1];
    ParameterSet set = StartParameterSet();
    char fault[96];
    int line = 0;
    EXPECT_EQ(PARA_FILE_NUMBER_TOO_LARGE, ReadParameterFile(path.c_str(), &set, fault, sizeof fault, &line));
    EXPECT_EQ(c[2], fault);
    EXPECT_EQ(std::stoi(c[0]), line);
    EXPECT_EQ(StartParameterSet().words[4], set.words[4]);
  }
  // Leading zeros are no fault.
  std::string padded;
  for (long long v : StartValues()) padded += "000000" + std::to_string(v) + "\n";
  const std::string paddedPath = TempPath("padded.cfg");
  WriteFile(paddedPath, padded);
  ParameterSet set = StartParameterSet();
  set.words[0] = 1;
  char fault[96];
  EXPECT_EQ(PARA_FILE_READ, ReadParameterFile(paddedPath.c_str(), &set, fault, sizeof fault));
  EXPECT_EQ(500, set.words[0]);
  EXPECT_EQ(PARA_FILE_UNREADABLE, ReadParameterFile(TempPath("missing.cfg").c_str(), &set, fault, sizeof fault));
  LoadParameterFile(TempPath("missing.cfg"));
  EXPECT_EQ(before, Record());
  EXPECT_EQ("Cannot read parameter file!", Status());
  const std::string folder = TempPath("folder.cfg");
  std::filesystem::create_directory(folder);
  LoadParameterFile(folder);
  EXPECT_EQ(before, Record());
  EXPECT_NE(std::string::npos, Status().find("parameter file"));
}

TEST_F(ParameterFile, CancellingTheDialogStillRefreshesThePanelsFromTheRecord) {
  parameter.a1 = 654;
  testkit::QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");
  testkit::Click(pHandle, MAIN_BTNGET);
  EXPECT_EQ("654", testkit::Text(pPara2, PARA2_A1));
}

TEST_F(ParameterFile, ASaveThatCannotBeWrittenSaysSoAndKeepsTheOldFile) {
  if (!support::FileSizeLimit::Available()) GTEST_SKIP() << "no disk that fills up for one process here";
  // The disk fills up a third of the way into the new file.
  const std::string path = TempPath("kept.cfg");
  WriteFile(path, "old content\n");
  {
    support::FileSizeLimit diskFull(100);
    SaveParameterFile(path);
  }
  EXPECT_EQ("Error writing parameter file!", Status());
  EXPECT_EQ("old content\n", ReadFile(path));
  EXPECT_FALSE(std::ifstream(path + ".tmp").good());  // nothing left beside it
}

TEST_F(ParameterFile, ASaveIntoAMissingFolderOrOntoAFolderSaysSo) {
  const std::string blocked = TempPath("no-such-folder/new.cfg");
  SaveParameterFile(blocked);
  EXPECT_EQ("Error writing parameter file!", Status());
  // A folder in the file's place.
  const std::string folder = TempPath("a-folder.cfg");
  std::filesystem::create_directory(folder);
  SaveParameterFile(folder);
  EXPECT_EQ("Error writing parameter file!", Status());
}

TEST_F(ParameterFile, SavingOverAnExistingFileReplacesItsContent) {
  const std::string path = TempPath("replace.cfg");
  WriteFile(path, std::string(5000, 'x'));
  SaveParameterFile(path);
  EXPECT_EQ(30 * (10 + kFileLineEnd.size()), ReadFile(path).size());  // 30 lines of 10 characters and a line end
}

TEST_F(ParameterFile, APathLongerThanTheBufferIsRefused) {
  const std::string longPath = TempPath(std::string(300, 'p') + ".cfg");
  SaveParameterFile(longPath);
  EXPECT_EQ("File path too long - file not saved!", Status());
  parameter.a1 = 111;
  LoadParameterFile(longPath);
  EXPECT_EQ(111, parameter.a1);
  EXPECT_EQ("File path too long - file not loaded!", Status());
}

}  // namespace
