// zan-reg: reads and changes the toolbar's registry store as a REGEDIT4
// text file.
//
//   zan-reg export [KEY]   prints the store, or KEY with its sub keys
//   zan-reg import FILE    applies FILE ("-": standard input); a step the
//                          store refuses is reported by its line, the rest
//                          is applied, and the status is 1
//
// The store is $ZAN_REGISTRY, else $XDG_CONFIG_HOME/zan/registry.db, else
// ~/.config/zan/registry.db.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "settings/reg_file.h"
#include "tools/tool_platform.h"

namespace {

int Usage() {
  std::cerr << "usage: zan-reg export [KEY]\n"
               "       zan-reg import FILE|-\n"
               "KEY is a path such as \"HKEY_CURRENT_USER\\SOFTWARE\\ZAN "
               "Inc.\\ZAN\" (HKCU, HKLM, HKCR for short).\n"
               "The store is $ZAN_REGISTRY, else "
               "$XDG_CONFIG_HOME/zan/registry.db, else "
               "~/.config/zan/registry.db.\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if ((command == "export" && argc > 3) || (command == "import" && argc != 3) ||
      (command != "export" && command != "import")) {
    return Usage();
  }
  auto registry = zan::OpenToolRegistry();
  if (!registry) {
    std::cerr << "zan-reg: cannot open " << zan::ToolRegistryName() << "\n";
    return 1;
  }
  std::string error;
  if (command == "export") {
    // Printed as it is walked: a large store never sits in memory whole.
    if (!zan::ExportRegFile(*registry, argc == 3 ? argv[2] : "", std::cout,
                            error)) {
      std::cerr << "zan-reg: " << error << "\n";
      return 1;
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
  }
  std::string text;
  const std::string file = argv[2];
  if (file == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin),
                std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::cerr << "zan-reg: cannot read " << file << "\n";
      return 1;
    }
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
  }
  if (!zan::ImportRegFile(*registry, text, error)) {
    // One line per refused step; the steps not named were applied.
    std::istringstream lines(error);
    for (std::string line; std::getline(lines, line);) {
      std::cerr << "zan-reg: " << file << ": " << line << "\n";
    }
    return 1;
  }
  return 0;
}
