#include "definition/load_definition.h"

#include "definition/definition_file.h"
#include "definition/definition_parse.h"

namespace zan {
namespace {

// Walks a parsed tree into `model`, or shows why the parse failed.
bool LoadOutcome(const ParseOutcome& outcome, ToolbarModel& model, Ui& ui,
                 DefinitionParseReport* report) {
  const bool parsed = outcome.result == 0 && outcome.root != nullptr;
  if (parsed) {
    model.Load(*outcome.root, ui);
  } else {
    ShowLoaderMessage(ui, outcome.previous_token + " " + outcome.last_token,
                      "Failed to parse toolbar definition file");
  }
  if (report != nullptr) {
    report->result = parsed ? 0 : (outcome.result == 0 ? 1 : outcome.result);
    report->line = outcome.line;
    report->column = outcome.column;
    report->message = outcome.message;
    report->previous_token = outcome.previous_token;
    report->last_token = outcome.last_token;
  }
  return parsed;
}

}  // namespace

bool ParseIntoModel(std::istream& in, ToolbarModel& model, Ui& ui,
                    std::ostream& diagnostics, DefinitionParseReport* report) {
  // The outcome holds this parse's tree and token record alone; both are
  // gone when it goes out of scope.
  return LoadOutcome(ParseDefinition(in, diagnostics), model, ui, report);
}

bool ParseIntoModel(std::string_view bytes, ToolbarModel& model, Ui& ui,
                    std::ostream& diagnostics, DefinitionParseReport* report,
                    bool read_failed) {
  return LoadOutcome(ParseDefinition(bytes, diagnostics, read_failed), model,
                     ui, report);
}

ToolbarModel& ToolbarModelHolder::InstallEmptyModel() {
  model_.reset();
  model_ = std::make_unique<ToolbarModel>();
  return *model_;
}

bool ToolbarModelHolder::LoadDefinition(ResourceSource& resources, Ui& ui) {
  std::string file_name = definition_file_name_;
  ToolbarModel& model = InstallEmptyModel();
  if (!resources.DownloadResource(file_name)) {
    ShowLoaderMessage(ui, "Unable to open toolbar definition file", "Error");
    return false;
  }
  // A file that cannot be opened reads as empty and fails as a syntax
  // error. The file is read whole; the tree refers to its bytes until the
  // model has taken what it keeps.
  const DefinitionFile file(file_name, /*text_mode=*/true);
  if (!ParseIntoModel(file.bytes(), model, ui, *diagnostics_, nullptr,
                      file.read_failed())) {
    return false;
  }
  return model.FetchResources(resources);
}

bool ToolbarModelHolder::LoadDefinitionFromBytes(
    std::string_view bytes, Ui& ui, DefinitionParseReport* report) {
  ToolbarModel& model = InstallEmptyModel();
  return ParseIntoModel(bytes, model, ui, *diagnostics_, report);
}

}  // namespace zan
