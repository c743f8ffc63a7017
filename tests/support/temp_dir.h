// A fresh folder for one test, removed with everything in it afterwards, and
// the plain file reads and writes tests make in it.
#ifndef KVOR_TESTS_SUPPORT_TEMP_DIR_H
#define KVOR_TESTS_SUPPORT_TEMP_DIR_H

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/kvor-ui-test-XXXXXX";
    if (mkdtemp(pattern) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    if (path_.empty()) return;
    std::error_code ignored;
    chmod(path_.c_str(), 0755);
    // Folders a test made read-only must be writable again to be removed.
    for (auto &entry : std::filesystem::recursive_directory_iterator(path_, ignored))
      if (entry.is_directory(ignored)) chmod(entry.path().c_str(), 0755);
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

inline bool WriteBytes(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

#endif
