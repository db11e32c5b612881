// Feeds arbitrary bytes to the .reg import. Besides the sanitizers it
// checks that whatever the import wrote exports, that the export imports
// into an empty store without a single refusal, and that the second store
// exports to the same text: what is imported exports again and re-imports
// to the same store. A refused import must name a line for every refusal,
// and no key may lie deeper than the store allows.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/sqlite_registry.h"
#include "platform/registry.h"
#include "settings/reg_file.h"

namespace {

// The deepest key below any hive root, walked without recursion.
size_t DeepestKey(zan::Registry& registry) {
  size_t deepest = 0;
  for (zan::RegistryHive hive :
       {zan::RegistryHive::kCurrentUser, zan::RegistryHive::kLocalMachine,
        zan::RegistryHive::kClassesRoot}) {
    struct Level {
      std::unique_ptr<zan::RegistryKey> key;
      uint32_t next = 0;
    };
    std::vector<Level> levels;
    levels.push_back({registry.OpenHive(hive), 0});
    while (!levels.empty()) {
      Level& level = levels.back();
      auto name = level.key->EnumKey(level.next++);
      if (!name) {
        levels.pop_back();
        continue;
      }
      auto child = level.key->OpenKey(*name);
      if (!child) std::abort();  // a listed key must open
      levels.push_back({std::move(child), 0});
      if (levels.size() - 1 > deepest) deepest = levels.size() - 1;
    }
  }
  return deepest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  auto first = zan::SqliteRegistry::Open(":memory:");
  if (!first) std::abort();
  std::string error;
  if (!zan::ImportRegFile(*first, text, error)) {
    if (error.rfind("line ", 0) != 0 &&
        error != "the file does not begin with REGEDIT4") {
      std::abort();
    }
  }
  if (DeepestKey(*first) > zan::kMaxRegistryKeyDepth) std::abort();

  std::string exported;
  if (!zan::ExportRegFile(*first, "", exported, error)) std::abort();
  auto second = zan::SqliteRegistry::Open(":memory:");
  if (!second) std::abort();
  if (!zan::ImportRegFile(*second, exported, error)) std::abort();
  std::string again;
  if (!zan::ExportRegFile(*second, "", again, error)) std::abort();
  if (again != exported) std::abort();
  return 0;
}
