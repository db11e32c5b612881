// zan-tbd: the definition author's tool.
//
//   zan-tbd check FILE   loads FILE as the toolbar would (without image lists
//                        or downloads) and reports every message box on
//                        standard error as "CAPTION: TEXT"
//   zan-tbd dump FILE    the same, then writes the loaded model in definition
//                        syntax to standard output
//
// Both also warn about menu entries whose command identifiers do not fit
// the toolbar's 16-bit ranges (the toolbar numbers them apart while their
// menu is shown, and disables those it cannot number at all).
//
// Exit status: 0 when the file parsed (diagnostics are warnings), 1 when the
// parse failed, 2 when FILE cannot be read or the arguments are wrong.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "browser/command_ids.h"
#include "definition/load_definition.h"
#include "platform/ui.h"

namespace {

// The message boxes of a load, written to standard error.
class StderrUi : public zan::Ui {
 public:
  zan::MessageBoxAnswer ShowMessageBox(const std::string& text,
                                       const std::string& caption,
                                       zan::MessageBoxButtons /*buttons*/,
                                       zan::MessageBoxIcon /*icon*/) override {
    std::cerr << caption << ": " << text << '\n';
    return zan::MessageBoxAnswer::kOk;
  }
};

// The whole file as bytes, or nothing with the reason in `error`.
std::optional<std::string> ReadFile(const std::string& path,
                                    std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = std::strerror(errno);
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.append(buffer, count);
  }
  const bool failed = std::ferror(file) != 0;
  const int read_errno = errno;
  std::fclose(file);
  if (failed) {
    error = std::strerror(read_errno);
    return std::nullopt;
  }
  return bytes;
}

// How many numbers the entries of a menu take: one each, and a submenu
// one for itself after its children's.
int CountMenuNumbers(const zan::MenuEntryList& entries) {
  int count = 0;
  for (const auto& entry : entries) {
    ++count;
    if (entry->GetEntryKind() == zan::MenuEntryKind::kSubMenu) {
      count +=
          CountMenuNumbers(static_cast<const zan::SubMenu&>(*entry).entries);
    }
  }
  return count;
}

// Warns, per item, about the menu entries without an identifier of the
// item's block. Items and entries are counted from 1 here.
void CheckMenuIdentifiers(const zan::ToolbarModel& model,
                          const std::string& path) {
  constexpr int kExtraIds = zan::kLastExtraMenuId - zan::kFirstExtraMenuId + 1;
  for (size_t i = 0; i < model.items.size(); ++i) {
    const zan::ToolbarItem& item = *model.items[i];
    const zan::ItemKind kind = item.GetKind();
    if (kind != zan::ItemKind::kButton && kind != zan::ItemKind::kText &&
        kind != zan::ItemKind::kIndicator) {
      continue;
    }
    const auto& button = static_cast<const zan::ToolbarButton&>(item);
    const int numbers = CountMenuNumbers(button.menu.entries);
    const int index = static_cast<int>(i);
    int first_out = -1;
    for (int k = 0; k < numbers; ++k) {
      if (!zan::MenuEntryIdFits(index, k)) {
        first_out = k;
        break;
      }
    }
    if (first_out < 0) continue;
    std::cerr << path << ": item " << index + 1 << " (\"" << item.caption
              << "\"): menu entries " << first_out + 1 << " to " << numbers
              << " have no command identifier below the mailbox entries "
                 "(0x800 + 800 x item + entry must stay below 0x5A08 and "
                 "within the item's 800); the toolbar numbers them from "
                 "0x5AD1 while the menu is shown\n";
    if (numbers - first_out > kExtraIds) {
      std::cerr << path << ": item " << index + 1 << ": menu entries "
                << first_out + kExtraIds + 1 << " to " << numbers
                << " cannot be numbered at all and stay disabled\n";
    }
  }
}

int Usage() {
  std::cerr << "usage: zan-tbd check FILE\n"
               "       zan-tbd dump FILE\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Usage();
  const std::string action = argv[1];
  const std::string path = argv[2];
  if (action != "check" && action != "dump") return Usage();

  StderrUi ui;
  std::string error;
  std::optional<std::string> bytes = ReadFile(path, error);
  if (!bytes) {
    ui.ShowMessageBox("Unable to open toolbar definition file", "Error",
                      zan::MessageBoxButtons::kOk, zan::MessageBoxIcon::kNone);
    std::cerr << path << ": " << error << '\n';
    return 2;
  }

  zan::ToolbarModelHolder holder;
  holder.set_diagnostics(&std::cerr);
  zan::DefinitionParseReport report;
  if (!holder.LoadDefinitionFromBytes(*bytes, ui, &report)) {
    std::cerr << path << ':' << report.line << ':' << report.column << ": "
              << report.message << " (last tokens: " << report.previous_token
              << ' ' << report.last_token << ")\n";
    return 1;
  }
  CheckMenuIdentifiers(*holder.model(), path);
  if (action == "dump") {
    holder.model()->Dump(std::cout, 0);
    std::cout.flush();
    if (!std::cout) return 1;
  }
  return 0;
}
