#ifndef ZAN_DEFINITION_DEFINITION_LOADER_H_
#define ZAN_DEFINITION_DEFINITION_LOADER_H_

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "definition/definition_node.h"
#include "platform/ui.h"
#include "settings/string_utils.h"  // ReadInteger, the integer property rule

namespace zan {

// Base of every class that is read from a block of the definition file.
// `Load` walks one node: all its properties in file order, then its nested
// blocks in file order. Loaders report what they reject through `ui` and
// never stop a load.
class DefinitionLoader {
 public:
  DefinitionLoader() = default;
  DefinitionLoader(const DefinitionLoader&) = default;
  DefinitionLoader& operator=(const DefinitionLoader&) = default;
  virtual ~DefinitionLoader() = default;

  virtual void Load(const DefinitionNode& node, Ui& ui);
  // Returns true when the name was accepted. The base accepts nothing.
  virtual bool OnProperty(std::string_view name, std::string_view value,
                          Ui& ui);
  // Called for each nested block. The base ignores it.
  virtual void OnPart(const DefinitionNode& child, Ui& ui);
  // Writes the object back in definition syntax, indented by `depth` tabs.
  virtual void Dump(std::ostream& out, int depth) const = 0;
};

// Property conventions shared by every loader.

// Resolves the escapes of a string value: backslash-backslash gives a
// backslash, backslash-n a line feed, backslash-quote a quote, a backslash
// before any other byte is dropped, a trailing backslash stays.
std::string ResolveEscapes(std::string_view value);

// The inverse of ResolveEscapes for the dump: quote, line feed and backslash
// are written as escapes, every other byte unchanged.
std::string EscapeForDump(std::string_view value);

// Shows the "Invalid property " box for a name that a loader rejects.
void ReportInvalidProperty(Ui& ui, std::string_view name,
                           const std::string& caption);
// Shows an OK-only message box without an icon.
void ShowLoaderMessage(Ui& ui, const std::string& text,
                       const std::string& caption);

// Dump helpers: the indentation and keyword of a block, a string property
// (left out when empty), an integer property (always written).
void WriteBlockOpener(std::ostream& out, int depth, std::string_view keyword);
void WriteStringProperty(std::ostream& out, std::string_view name,
                         const std::string& value);
void WriteIntegerProperty(std::ostream& out, std::string_view name,
                          int32_t value);
// Writes a blockless keyword ("SEPARATOR", "MENUSEPARATOR") on its own line.
void WriteBlocklessKeyword(std::ostream& out, int depth,
                           std::string_view keyword);
// Writes nested blocks after the properties: a line end, each child at
// depth + 1, then the closing brace on its own line. With no children only
// the closing brace and a line end are written.
template <typename Children>
void WriteChildrenAndClose(std::ostream& out, int depth,
                           const Children& children) {
  if (!children.empty()) {
    out << '\n';
    for (const auto& child : children) child->Dump(out, depth + 1);
  }
  out << "}\n";
}

// A factory of the loaders: when `node` is named `keyword`, creates an
// `Element` with its defaults, appends it to `list` and then loads it.
// Returns false, doing nothing, for any other name.
template <typename Element, typename Base>
bool RunFactory(std::string_view keyword, const DefinitionNode& node,
                std::vector<std::unique_ptr<Base>>& list, Ui& ui) {
  if (node.name() != keyword) return false;
  list.push_back(std::make_unique<Element>());
  list.back()->Load(node, ui);
  return true;
}

// The dump of a loader as a string.
std::string DumpToString(const DefinitionLoader& loader, int depth = 0);

}  // namespace zan

#endif  // ZAN_DEFINITION_DEFINITION_LOADER_H_
