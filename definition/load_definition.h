#ifndef ZAN_DEFINITION_LOAD_DEFINITION_H_
#define ZAN_DEFINITION_LOAD_DEFINITION_H_

#include <iostream>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "definition/toolbar_model.h"
#include "platform/ui.h"
#include "settings/product_constants.h"
#include "settings/resource_source.h"

namespace zan {

// What the parse of one load left behind, for reports of a failed parse.
struct DefinitionParseReport {
  // 0 success, 1 syntax error, 2 parser stack overflow.
  int result = 1;
  int line = 0;
  int column = 0;
  std::string message;
  // The two last recorded token texts.
  std::string previous_token;
  std::string last_token;
};

// Scans and recognises the definition text of `in` and, when that succeeds,
// walks its tree into `model` (normally a fresh one). A failed parse shows
// the box "Failed to parse toolbar definition file" with the two last
// tokens and loads nothing. Parser diagnostics go to `diagnostics`. Returns
// true when the parse succeeded; `report`, when given, receives the details.
bool ParseIntoModel(std::istream& in, ToolbarModel& model, Ui& ui,
                    std::ostream& diagnostics,
                    DefinitionParseReport* report = nullptr);
// The same for definition text in memory. With `read_failed`, `bytes` is
// what could be read of a file before a read error.
bool ParseIntoModel(std::string_view bytes, ToolbarModel& model, Ui& ui,
                    std::ostream& diagnostics,
                    DefinitionParseReport* report = nullptr,
                    bool read_failed = false);

// The model slot of a toolbar window: holds at most one installed model.
class ToolbarModelHolder {
 public:
  ToolbarModelHolder() = default;
  ToolbarModelHolder(const ToolbarModelHolder&) = delete;
  ToolbarModelHolder& operator=(const ToolbarModelHolder&) = delete;

  // Replaces the installed model by a new one built from the definition
  // file, which `resources` makes available. True when the model was built
  // and its image lists are available. On a missing file or a failed parse
  // an empty model stays installed and the user is told through `ui`.
  bool LoadDefinition(ResourceSource& resources, Ui& ui);
  // The same load from definition text in memory: no download and no image
  // lists. True when the parse succeeded.
  bool LoadDefinitionFromBytes(std::string_view bytes, Ui& ui,
                               DefinitionParseReport* report = nullptr);

  // The installed model, or null before the first load.
  ToolbarModel* model() const { return model_.get(); }
  void DestroyModel() { model_.reset(); }
  // Exchanges the installed models of two holders.
  void SwapModel(ToolbarModelHolder& other) { model_.swap(other.model_); }

  // Where parser and scanner diagnostics go (standard error by default).
  void set_diagnostics(std::ostream* diagnostics) {
    diagnostics_ = diagnostics;
  }
  std::ostream* diagnostics() const { return diagnostics_; }
  // The file name asked for by LoadDefinition (DefinitionFileName()).
  void set_definition_file_name(std::string name) {
    definition_file_name_ = std::move(name);
  }
  const std::string& definition_file_name() const {
    return definition_file_name_;
  }

 private:
  ToolbarModel& InstallEmptyModel();

  std::unique_ptr<ToolbarModel> model_;
  std::ostream* diagnostics_ = &std::cerr;
  std::string definition_file_name_ = DefinitionFileName();
};

}  // namespace zan

#endif  // ZAN_DEFINITION_LOAD_DEFINITION_H_
