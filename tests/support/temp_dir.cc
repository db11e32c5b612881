#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

namespace zan::test {

TempDir::TempDir() {
  // The system's temporary folder: $TMPDIR or /tmp on Linux, %TMP% or %TEMP%
  // on Windows.
  std::error_code error;
  const std::filesystem::path base =
      std::filesystem::absolute(std::filesystem::temp_directory_path(error));
  if (error) return;
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = "zan-test-";
    for (int i = 0; i < 10; ++i) name += kLetters[random() % 36];
    const std::filesystem::path candidate = base / name;
    if (std::filesystem::create_directory(candidate, error) && !error) {
      std::filesystem::permissions(candidate, std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::replace,
                                   error);
      path_ = candidate.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& name) const {
  return path_ + "/" + name;
}

std::string TempDir::WriteFile(const std::string& name,
                               const std::string& content) const {
  const std::string file = File(name);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << content;
  return file;
}

std::string TempDir::ReadFile(const std::string& name) const {
  return ReadWholeFile(File(name));
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace zan::test
