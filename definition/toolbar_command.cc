#include "definition/toolbar_command.h"

namespace zan {
namespace {

constexpr char kGoToUrlCaption[] = "TBDL GoToURL";
constexpr char kShellExecuteCaption[] = "TBDL shell execute command";
constexpr char kServiceCaption[] = "TBDL Service Command";

}  // namespace

bool GoToUrlCommand::OnProperty(std::string_view property,
                                std::string_view value, Ui& ui) {
  if (property == "name") {
    name = ResolveEscapes(value);
  } else if (property == "url") {
    url = ResolveEscapes(value);
  } else if (property == "post") {
    post = ResolveEscapes(value);
  } else if (property == "target") {
    target = ResolveEscapes(value);
  } else if (property == "options") {
    options = ResolveEscapes(value);
  } else if (property == "newwindow") {
    newwindow = ResolveEscapes(value);
  } else {
    ReportInvalidProperty(ui, property, kGoToUrlCaption);
    return false;
  }
  return true;
}

void GoToUrlCommand::Dump(std::ostream& out, int depth) const {
  WriteBlockOpener(out, depth, "GOTOURL");
  WriteStringProperty(out, "name", name);
  WriteStringProperty(out, "url", url);
  WriteStringProperty(out, "post", post);
  WriteStringProperty(out, "target", target);
  WriteStringProperty(out, "options", options);
  WriteStringProperty(out, "newwindow", newwindow);
  out << "}\n";
}

bool GoToUrlCommand::UsesMacros() const {
  return url.find('%') != std::string::npos ||
         post.find('%') != std::string::npos;
}

std::unique_ptr<ToolbarCommand> GoToUrlCommand::Clone() const {
  return std::make_unique<GoToUrlCommand>(*this);
}

bool ShellExecuteCommand::OnProperty(std::string_view property,
                                     std::string_view value, Ui& ui) {
  if (property == "name") {
    name = ResolveEscapes(value);
  } else if (property == "shellcmd") {
    shellcmd = ResolveEscapes(value);
  } else if (property == "failmsg") {
    failmsg = ResolveEscapes(value);
  } else {
    ReportInvalidProperty(ui, property, kShellExecuteCaption);
    return false;
  }
  return true;
}

void ShellExecuteCommand::Dump(std::ostream& out, int depth) const {
  WriteBlockOpener(out, depth, "SHELLEXECUTE");
  WriteStringProperty(out, "name", name);
  WriteStringProperty(out, "shellcmd", shellcmd);
  WriteStringProperty(out, "failmsg", failmsg);
  out << "}\n";
}

std::unique_ptr<ToolbarCommand> ShellExecuteCommand::Clone() const {
  return std::make_unique<ShellExecuteCommand>(*this);
}

bool ServiceCommand::OnProperty(std::string_view property,
                                std::string_view value, Ui& ui) {
  if (property == "name") {
    name = ResolveEscapes(value);
  } else if (property == "type") {
    type = ResolveEscapes(value);
  } else if (property == "caption") {
    caption = ResolveEscapes(value);
  } else {
    ReportInvalidProperty(ui, property, kServiceCaption);
    return false;
  }
  return true;
}

void ServiceCommand::Dump(std::ostream& out, int depth) const {
  WriteBlockOpener(out, depth, "SERVICECOMMAND");
  WriteStringProperty(out, "name", name);
  WriteStringProperty(out, "type", type);
  WriteStringProperty(out, "caption", caption);
  out << "}\n";
}

std::unique_ptr<ToolbarCommand> ServiceCommand::Clone() const {
  return std::make_unique<ServiceCommand>(*this);
}

bool CommandSet::OnProperty(std::string_view /*name*/,
                            std::string_view /*value*/, Ui& /*ui*/) {
  return false;
}

void CommandSet::OnPart(const DefinitionNode& child, Ui& ui) {
  if (RunFactory<GoToUrlCommand>("GOTOURL", child, commands, ui) ||
      RunFactory<ShellExecuteCommand>("SHELLEXECUTE", child, commands, ui) ||
      RunFactory<ServiceCommand>("SERVICECOMMAND", child, commands, ui)) {
    return;
  }
  ShowLoaderMessage(ui, "Invalid part declared in COMMANDS section!",
                    "TBDLLoad");
}

void CommandSet::Dump(std::ostream& out, int depth) const {
  WriteBlockOpener(out, depth, "COMMANDS");
  WriteChildrenAndClose(out, depth, commands);
}

}  // namespace zan
