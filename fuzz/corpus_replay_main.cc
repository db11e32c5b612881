// Runs a fuzz target's LLVMFuzzerTestOneInput once over every file of the
// folders (and files) named on the command line, so that a normal build
// replays each corpus without libFuzzer. A finding aborts the program, as
// under the fuzzer; otherwise it prints how many inputs ran.
//
//   reg_import_replay fuzz/corpus/reg_import [more folders or files]

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

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " CORPUS_FOLDER_OR_FILE...\n";
    return 2;
  }
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path = argv[i];
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      for (const auto& entry :
           std::filesystem::recursive_directory_iterator(path, error)) {
        if (entry.is_regular_file()) inputs.push_back(entry.path());
      }
    } else if (std::filesystem::is_regular_file(path, error)) {
      inputs.push_back(path);
    } else {
      std::cerr << argv[0] << ": no such corpus: " << path << "\n";
      return 1;
    }
  }
  std::sort(inputs.begin(), inputs.end());
  if (inputs.empty()) {
    std::cerr << argv[0] << ": the corpus is empty\n";
    return 1;
  }
  for (const auto& path : inputs) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)),
                            std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      std::cerr << argv[0] << ": cannot read " << path << "\n";
      return 1;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           bytes.size());
  }
  std::cout << inputs.size() << " inputs replayed\n";
  return 0;
}
