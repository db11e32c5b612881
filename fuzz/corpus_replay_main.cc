// Replays a corpus through a fuzz target without libFuzzer, so that every
// build runs each target over its saved inputs:
//   <target>_replay FOLDER|FILE...
// Every regular file under each FOLDER (sorted by path) and every FILE is
// passed once to LLVMFuzzerTestOneInput. A target that finds a fault aborts;
// a missing or empty corpus is an error too, so that a wrong path cannot
// pass unnoticed.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc,
                                                          char*** argv);

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " FOLDER|FILE...\n";
    return 2;
  }
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path(argv[i]);
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) {
      inputs.push_back(path);
      continue;
    }
    if (!std::filesystem::is_directory(path, error)) {
      std::cerr << path.string() << ": no such file or folder\n";
      return 1;
    }
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(path, error)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
  }
  std::sort(inputs.begin(), inputs.end());
  if (inputs.empty()) {
    std::cerr << "no inputs to replay\n";
    return 1;
  }
  for (const auto& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    if (!in) {
      std::cerr << input.string() << ": cannot be read\n";
      return 1;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)),
                            std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           bytes.size());
  }
  std::cout << "replayed " << inputs.size() << " input(s)\n";
  return 0;
}
