#ifndef ZAN_DEFINITION_TOOLBAR_COMMAND_H_
#define ZAN_DEFINITION_TOOLBAR_COMMAND_H_

#include <memory>
#include <string>
#include <vector>

#include "definition/definition_loader.h"

namespace zan {

// The kind codes of the commands.
enum class CommandKind : int { kService = 0, kGoToUrl = 1, kShellExecute = 2 };

// Base of the named commands of the COMMANDS section. Running a command is
// the work of commands/, which dispatches on GetCommandKind.
class ToolbarCommand : public DefinitionLoader {
 public:
  // The name by which elements refer to the command.
  std::string name;

  // Run after loading; true for every kind of this system.
  virtual bool Prepare() { return true; }
  // True when the command's texts hold macros.
  virtual bool UsesMacros() const { return false; }
  virtual std::unique_ptr<ToolbarCommand> Clone() const = 0;
  virtual CommandKind GetCommandKind() const = 0;
};

using ToolbarCommandList = std::vector<std::unique_ptr<ToolbarCommand>>;

// GOTOURL: opens a URL built from a template, optionally as a POST.
class GoToUrlCommand : public ToolbarCommand {
 public:
  std::string url;
  std::string post;
  std::string target;
  std::string options;
  std::string newwindow;

  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
  // True when the url or the post text contains "%".
  bool UsesMacros() const override;
  std::unique_ptr<ToolbarCommand> Clone() const override;
  CommandKind GetCommandKind() const override { return CommandKind::kGoToUrl; }
};

// SHELLEXECUTE: starts a program.
class ShellExecuteCommand : public ToolbarCommand {
 public:
  std::string shellcmd;
  // Shown when the program cannot be started.
  std::string failmsg;

  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
  std::unique_ptr<ToolbarCommand> Clone() const override;
  CommandKind GetCommandKind() const override {
    return CommandKind::kShellExecute;
  }
};

// SERVICECOMMAND: runs a built-in service chosen by `type`.
class ServiceCommand : public ToolbarCommand {
 public:
  std::string type;
  // A text the service uses (a message, a colour, a proxy, ...).
  std::string caption;

  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
  std::unique_ptr<ToolbarCommand> Clone() const override;
  CommandKind GetCommandKind() const override { return CommandKind::kService; }
};

// The commands of all COMMANDS sections of a file, in file order.
class CommandSet : public DefinitionLoader {
 public:
  ToolbarCommandList commands;

  // Accepts nothing, without a message.
  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  // Runs the command factories ("GOTOURL", "SHELLEXECUTE",
  // "SERVICECOMMAND"); reports any other block.
  void OnPart(const DefinitionNode& child, Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
};

}  // namespace zan

#endif  // ZAN_DEFINITION_TOOLBAR_COMMAND_H_
