// Feeds arbitrary bytes to the definition parser and to the whole load of a
// definition into a toolbar model. Besides the sanitizers it checks that the
// parse result is one of its three values, that every property of an
// accepted tree holds a view of a literal in the input, that parsing the
// bytes and parsing them from a stream agree, that the load agrees with the
// parse, and that a model's dump, when it loads again, dumps the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "definition/definition_loader.h"
#include "definition/definition_parse.h"
#include "definition/load_definition.h"
#include "definition/toolbar_model.h"
#include "platform/ui.h"

namespace {

class SilentUi : public zan::Ui {
 public:
  zan::MessageBoxAnswer ShowMessageBox(const std::string&, const std::string&,
                                       zan::MessageBoxButtons,
                                       zan::MessageBoxIcon) override {
    return zan::MessageBoxAnswer::kOk;
  }
};

// Every property of an accepted tree got its value from a literal of the
// input: a view into `bytes`, never a copy or nothing.
bool ValuesFromInput(const zan::DefinitionNode& root, std::string_view bytes) {
  std::vector<const zan::DefinitionNode*> pending = {&root};
  while (!pending.empty()) {
    const zan::DefinitionNode* node = pending.back();
    pending.pop_back();
    for (const zan::DefinitionProperty& property : node->properties) {
      const char* value = property.value().data();
      if (value == nullptr || value < bytes.data() ||
          value + property.value().size() > bytes.data() + bytes.size()) {
        return false;
      }
    }
    for (const zan::DefinitionNode& child : node->children) {
      pending.push_back(&child);
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::ostream discard(nullptr);

  const zan::ParseOutcome outcome = zan::ParseDefinition(bytes, discard);
  if (outcome.result < 0 || outcome.result > 2) std::abort();
  if (outcome.result == 0) {
    if (!outcome.root || !ValuesFromInput(*outcome.root, bytes)) std::abort();
  } else if (outcome.root || outcome.message.empty()) {
    std::abort();
  }
  // The stream form reads the same bytes and must agree in every respect.
  std::istringstream in{std::string(bytes)};
  const zan::ParseOutcome streamed = zan::ParseDefinition(in, discard);
  if (streamed.result != outcome.result || streamed.line != outcome.line ||
      streamed.column != outcome.column ||
      streamed.previous_token != outcome.previous_token ||
      streamed.last_token != outcome.last_token) {
    std::abort();
  }

  SilentUi ui;
  zan::ToolbarModelHolder holder;
  holder.set_diagnostics(&discard);
  zan::DefinitionParseReport report;
  const bool loaded = holder.LoadDefinitionFromBytes(bytes, ui, &report);
  if (loaded != (outcome.result == 0) || report.result != outcome.result) {
    std::abort();
  }
  zan::ToolbarModel* model = holder.model();
  if (model == nullptr) return 0;
  model->ResolveItemCommands();
  for (std::uint32_t id : {0u, 1024u, 2048u, 2049u, 2848u, 4000u}) {
    model->FindMenuEntry(id);
  }
  // A dump that loads again must dump the same (some dumps, such as empty
  // blocks, are not loadable by design and are skipped).
  const std::string dump = zan::DumpToString(*model);
  zan::ToolbarModelHolder again;
  again.set_diagnostics(&discard);
  if (again.LoadDefinitionFromBytes(dump, ui) &&
      zan::DumpToString(*again.model()) != dump) {
    std::abort();
  }
  return 0;
}
