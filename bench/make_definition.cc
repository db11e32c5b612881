// make_definition: writes the generated benchmark definition to a file.
//
//   make_definition BYTES FILE   at least BYTES bytes (suffixes k and M for
//                                KiB and MiB), always the same text
//
// The whole-process measurements of `zan-tbd check` and of the reference
// recogniser run on its output.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/generated_definition.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_definition BYTES FILE\n");
    return 2;
  }
  char* end = nullptr;
  unsigned long long size = std::strtoull(argv[1], &end, 10);
  if (end != nullptr && *end == 'k') size <<= 10;
  if (end != nullptr && *end == 'M') size <<= 20;
  const std::string text = zan::bench::GeneratedDefinition(size);
  std::FILE* file = std::fopen(argv[2], "wb");
  if (file == nullptr ||
      std::fwrite(text.data(), 1, text.size(), file) != text.size() ||
      std::fclose(file) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
