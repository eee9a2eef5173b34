// A fresh folder for one test, removed with everything in it afterwards, and small
// helpers for the files in it.
#ifndef VELKOR_TESTS_SUPPORT_TEMP_DIR_H_
#define VELKOR_TESTS_SUPPORT_TEMP_DIR_H_

#include <string>

namespace velkor::testing {

class TempDir {
 public:
  explicit TempDir(const std::string& parent = "");  // under $TMPDIR (or /tmp) unless given
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace velkor::testing

#endif  // VELKOR_TESTS_SUPPORT_TEMP_DIR_H_
