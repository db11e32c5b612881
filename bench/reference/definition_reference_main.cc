// definition_reference FILE: the flex+bison recogniser of the definition
// language over FILE, building the tree of named nodes with property lists.
// A yardstick for `zan-tbd check`, not part of the product. Exit status 0
// when the file parsed, 1 otherwise.

#include <cstdio>
#include <memory>

#include "bench/reference/reference_tree.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: definition_reference FILE\n");
    return 2;
  }
  std::unique_ptr<zan::reference::Node> root;
  return zan::reference::ParseFile(argv[1], &root) == 0 ? 0 : 1;
}
