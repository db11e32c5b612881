#ifndef ZAN_TESTS_SUPPORT_TEMP_DIR_H_
#define ZAN_TESTS_SUPPORT_TEMP_DIR_H_

#include <string>

namespace zan::test {

// A fresh folder in the system's temporary folder ($TMPDIR or /tmp on Linux,
// %TMP% on Windows), removed with everything in it
// when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's path, without a trailing slash.
  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string File(const std::string& name) const;
  // Writes `content` to File(name) and returns its path.
  std::string WriteFile(const std::string& name,
                        const std::string& content) const;
  // The content of File(name); empty when it cannot be read.
  std::string ReadFile(const std::string& name) const;

 private:
  std::string path_;
};

// Reads a whole file; std::string() when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace zan::test

#endif  // ZAN_TESTS_SUPPORT_TEMP_DIR_H_
