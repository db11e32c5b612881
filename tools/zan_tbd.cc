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

#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "browser/command_ids.h"
#include "definition/definition_file.h"
#include "definition/definition_node.h"
#include "definition/load_definition.h"
#include "definition/toolbar_model.h"
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

// The model of a check: each element and each command is loaded as the
// toolbar loads it, its messages shown, and then forgotten, since a check
// needs the messages and not the model. A large file so never has its whole
// model in memory.
class CheckedCommands : public zan::CommandSet {
 public:
  void OnPart(const zan::DefinitionNode& child, zan::Ui& ui) override {
    zan::CommandSet::OnPart(child, ui);
    commands.clear();
  }
};

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

// Warns about the menu entries of item `index` without an identifier of the
// item's block. Items and entries are counted from 1 here.
void CheckMenuIdentifiers(const zan::ToolbarItem& item, int index,
                          const std::string& path, std::ostream& out) {
  constexpr int kExtraIds = zan::kLastExtraMenuId - zan::kFirstExtraMenuId + 1;
  const zan::ItemKind kind = item.GetKind();
  if (kind != zan::ItemKind::kButton && kind != zan::ItemKind::kText &&
      kind != zan::ItemKind::kIndicator) {
    return;
  }
  const auto& button = static_cast<const zan::ToolbarButton&>(item);
  const int numbers = CountMenuNumbers(button.menu.entries);
  int first_out = -1;
  for (int k = 0; k < numbers; ++k) {
    if (!zan::MenuEntryIdFits(index, k)) {
      first_out = k;
      break;
    }
  }
  if (first_out >= 0) {
    out << path << ": item " << index + 1 << " (\"" << item.caption
        << "\"): menu entries " << first_out + 1 << " to " << numbers
        << " have no command identifier below the mailbox entries "
           "(0x800 + 800 x item + entry must stay below 0x5A08 and "
           "within the item's 800); the toolbar numbers them from "
           "0x5AD1 while the menu is shown\n";
    if (numbers - first_out > kExtraIds) {
      out << path << ": item " << index + 1 << ": menu entries "
          << first_out + kExtraIds + 1 << " to " << numbers
          << " cannot be numbered at all and stay disabled\n";
    }
  }
}

// Warnings about menu identifiers come after the load's own messages, as
// they do for a dump, so a check keeps them until the load is over.
class CheckedModel : public zan::ToolbarModel {
 public:
  explicit CheckedModel(std::string path) : path_(std::move(path)) {}

  std::string TakeIdentifierWarnings() { return identifier_warnings_.str(); }

  void OnPart(const zan::DefinitionNode& child, zan::Ui& ui) override {
    // No element is named "COMMANDS", so taking the sections first keeps
    // the model's order of factories.
    if (child.name() == "COMMANDS") {
      checked_commands_.Load(child, ui);
      return;
    }
    zan::ToolbarModel::OnPart(child, ui);
    for (const auto& item : items) {
      CheckMenuIdentifiers(*item, loaded_items_++, path_, identifier_warnings_);
    }
    items.clear();
  }

 private:
  CheckedCommands checked_commands_;
  std::string path_;
  int loaded_items_ = 0;
  std::ostringstream identifier_warnings_;
};

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
  // One read of the whole file; the parse tree refers to these bytes.
  const zan::DefinitionFile file(path, /*text_mode=*/false);
  if (!file.opened() || file.read_failed()) {
    ui.ShowMessageBox("Unable to open toolbar definition file", "Error",
                      zan::MessageBoxButtons::kOk, zan::MessageBoxIcon::kNone);
    std::cerr << path << ": " << std::strerror(file.error()) << '\n';
    return 2;
  }

  zan::ToolbarModelHolder holder;
  holder.set_diagnostics(&std::cerr);
  zan::DefinitionParseReport report;
  CheckedModel checked(path);
  const bool parsed =
      action == "check"
          ? zan::ParseIntoModel(file.bytes(), checked, ui, std::cerr, &report)
          : holder.LoadDefinitionFromBytes(file.bytes(), ui, &report);
  if (!parsed) {
    std::cerr << path << ':' << report.line << ':' << report.column << ": "
              << report.message << " (last tokens: " << report.previous_token
              << ' ' << report.last_token << ")\n";
    return 1;
  }
  if (action == "check") {
    std::cerr << checked.TakeIdentifierWarnings();
  } else {
    const auto& items = holder.model()->items;
    for (size_t i = 0; i < items.size(); ++i) {
      CheckMenuIdentifiers(*items[i], static_cast<int>(i), path, std::cerr);
    }
    holder.model()->Dump(std::cout, 0);
    std::cout.flush();
    if (!std::cout) return 1;
  }
  return 0;
}
