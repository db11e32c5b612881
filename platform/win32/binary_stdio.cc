// Linked into the command-line programs: standard input, output and error
// carry bytes as they are, so "\n" stays one line feed and the programs
// print the same bytes as on Linux.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

struct BinaryStdio {
  BinaryStdio() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
  }
};

const BinaryStdio binary_stdio;

}  // namespace
