// Runs a fuzz target's entry point once on every file named on the command
// line (folders are walked), so the corpus of each target is replayed by
// ctest in every build, with or without libFuzzer. Exits 1 when a file
// cannot be read or no file is found; a finding aborts inside the target.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size);

namespace {

bool RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                          std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                         bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int files = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    std::error_code error;
    fs::path path(argv[i]);
    if (fs::is_directory(path, error)) {
      std::vector<fs::path> found;
      for (const auto& entry : fs::recursive_directory_iterator(path, error)) {
        if (entry.is_regular_file()) found.push_back(entry.path());
      }
      std::sort(found.begin(), found.end());
      for (const fs::path& file : found) {
        ok = RunFile(file) && ok;
        ++files;
      }
    } else {
      ok = RunFile(path) && ok;
      ++files;
    }
  }
  std::printf("replayed %d inputs\n", files);
  return ok && files > 0 ? 0 : 1;
}
