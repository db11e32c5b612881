// zan-tbd: the definition author's tool.
//
//   zan-tbd check FILE   loads FILE as the toolbar would (without image lists
//                        or downloads) and reports every message box on
//                        standard error as "CAPTION: TEXT"
//   zan-tbd dump FILE    the same, then writes the loaded model in definition
//                        syntax to standard output
//
// Exit status: 0 when the file parsed (diagnostics are warnings), 1 when the
// parse failed, 2 when FILE cannot be read or the arguments are wrong.

#include <cstring>
#include <iostream>
#include <string>

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

class CheckedModel : public zan::ToolbarModel {
 public:
  void OnPart(const zan::DefinitionNode& child, zan::Ui& ui) override {
    // No element is named "COMMANDS", so taking the sections first keeps
    // the model's order of factories.
    if (child.name() == "COMMANDS") {
      checked_commands_.Load(child, ui);
      return;
    }
    zan::ToolbarModel::OnPart(child, ui);
    items.clear();
  }

 private:
  CheckedCommands checked_commands_;
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
  CheckedModel checked;
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
  if (action == "dump") {
    holder.model()->Dump(std::cout, 0);
    std::cout.flush();
    if (!std::cout) return 1;
  }
  return 0;
}
