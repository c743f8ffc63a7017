// A fresh folder for one test, removed with everything in it afterwards, and
// the plain file reads and writes tests make in it.
#ifndef KVOR_TESTS_SUPPORT_TEMP_DIR_H
#define KVOR_TESTS_SUPPORT_TEMP_DIR_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

class TempDir {
 public:
  // Under the system's folder for temporary files (/tmp; %TEMP% on Windows).
  TempDir() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) return;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path candidate = base / ("kvor-ui-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, error) && !error) path_ = candidate.string();
    }
  }
  ~TempDir() {
    if (path_.empty()) return;
    std::error_code ignored;
    // Folders a test made read-only must be writable again to be removed.
    const auto writable = std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                          std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                          std::filesystem::perms::others_exec;
    std::filesystem::permissions(path_, writable, ignored);
    for (auto &entry : std::filesystem::recursive_directory_iterator(path_, ignored))
      if (entry.is_directory(ignored)) std::filesystem::permissions(entry.path(), writable, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  bool ok() const { return !path_.empty(); }
  std::string File(const std::string &name) const { return path_ + "/" + name; }
  const std::string &path() const { return path_; }

 private:
  std::string path_;
};

// How the text files the programs write end their lines: CR LF on Windows,
// as the original tool's files there, LF elsewhere.
#ifdef _WIN32
inline const std::string kFileLineEnd = "\r\n";
#else
inline const std::string kFileLineEnd = "\n";
#endif

inline std::string ReadBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The whitespace-separated numbers of a text file (a parameter file's 30).
inline std::vector<int> FileNumbers(const std::string &path) {
  std::ifstream in(path);
  std::vector<int> numbers;
  long long n;
  while (in >> n) numbers.push_back(static_cast<int>(n));
  return numbers;
}

// The lines of a text file the programs wrote, without their line ends
// (kFileLineEnd; a last line without one is returned as it is). A line end
// of the other system's kind fails the test.
inline std::vector<std::string> FileLines(const std::string &path) {
  const std::string text = ReadBytes(path);
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find(kFileLineEnd, at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    const std::string &line = lines.back();
    EXPECT_TRUE(line.find('\n') == std::string::npos && (line.empty() || line.back() != '\r'))
        << path << ", line " << lines.size() << " does not end as " << (kFileLineEnd == "\n" ? "LF" : "CR LF");
    at = end + kFileLineEnd.size();
  }
  return lines;
}

inline bool WriteBytes(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

#endif
