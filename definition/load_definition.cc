#include "definition/load_definition.h"

#include <fstream>
#include <sstream>
#include <streambuf>

#include "definition/definition_parse.h"

namespace zan {
namespace {

// A read-only stream buffer over bytes that stay alive for the parse, so
// that loading from memory does not copy the text.
class MemoryBuffer : public std::streambuf {
 public:
  explicit MemoryBuffer(std::string_view bytes) {
    char* begin = const_cast<char*>(bytes.data());
    setg(begin, begin, begin + bytes.size());
  }
};

}  // namespace

bool ParseIntoModel(std::istream& in, ToolbarModel& model, Ui& ui,
                    std::ostream& diagnostics, DefinitionParseReport* report) {
  // The outcome holds this parse's tree and token record alone; both are
  // gone when it goes out of scope.
  ParseOutcome outcome = ParseDefinition(in, diagnostics);
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
  // error.
  std::ifstream file(file_name);
  std::istringstream nothing;
  std::istream& in = file.is_open() ? static_cast<std::istream&>(file)
                                    : static_cast<std::istream&>(nothing);
  if (!ParseIntoModel(in, model, ui, *diagnostics_)) return false;
  file.close();
  return model.FetchResources(resources);
}

bool ToolbarModelHolder::LoadDefinitionFromBytes(
    std::string_view bytes, Ui& ui, DefinitionParseReport* report) {
  ToolbarModel& model = InstallEmptyModel();
  MemoryBuffer buffer(bytes);
  std::istream in(&buffer);
  return ParseIntoModel(in, model, ui, *diagnostics_, report);
}

}  // namespace zan
