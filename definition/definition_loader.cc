#include "definition/definition_loader.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <sstream>

namespace zan {

void DefinitionLoader::Load(const DefinitionNode& node, Ui& ui) {
  for (const DefinitionProperty& property : node.properties) {
    OnProperty(property.name(), property.value(), ui);
  }
  for (const DefinitionNode& child : node.children) OnPart(child, ui);
}

bool DefinitionLoader::OnProperty(std::string_view /*name*/,
                                  std::string_view /*value*/, Ui& /*ui*/) {
  return false;
}

void DefinitionLoader::OnPart(const DefinitionNode& /*child*/, Ui& /*ui*/) {}

std::string ResolveEscapes(std::string_view value) {
  const size_t first = value.find('\\');
  if (first == std::string_view::npos) return std::string(value);
  std::string resolved(value.substr(0, first));
  resolved.reserve(value.size());
  for (size_t i = first; i < value.size(); ++i) {
    const char c = value[i];
    if (c != '\\' || i + 1 == value.size()) {
      resolved.push_back(c);
      continue;
    }
    const char next = value[++i];
    resolved.push_back(next == 'n' ? '\n' : next);
  }
  return resolved;
}

std::string EscapeForDump(std::string_view value) {
  std::string escaped;
  escaped.reserve(value.size() + 8);
  for (const char c : value) {
    switch (c) {
      case '"':
        escaped += "\\\"";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\\':
        escaped += "\\\\";
        break;
      default:
        escaped.push_back(c);
    }
  }
  return escaped;
}

void ShowLoaderMessage(Ui& ui, const std::string& text,
                       const std::string& caption) {
  ui.ShowMessageBox(text, caption, MessageBoxButtons::kOk,
                    MessageBoxIcon::kNone);
}

void ReportInvalidProperty(Ui& ui, std::string_view name,
                           const std::string& caption) {
  ShowLoaderMessage(ui, "Invalid property " + std::string(name), caption);
}

void WriteBlockOpener(std::ostream& out, int depth, std::string_view keyword) {
  for (int i = 0; i < depth; ++i) out << '\t';
  out << keyword << " {";
}

void WriteStringProperty(std::ostream& out, std::string_view name,
                         const std::string& value) {
  if (value.empty()) return;
  out << name << "=\"" << EscapeForDump(value) << "\" ";
}

void WriteIntegerProperty(std::ostream& out, std::string_view name,
                          int32_t value) {
  // to_chars keeps the text independent of the stream's locale.
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out << name << "=\"" << std::string_view(digits, result.ptr - digits)
      << "\" ";
}

void WriteBlocklessKeyword(std::ostream& out, int depth,
                           std::string_view keyword) {
  for (int i = 0; i < depth; ++i) out << '\t';
  out << keyword << '\n';
}

std::string DumpToString(const DefinitionLoader& loader, int depth) {
  std::ostringstream out;
  loader.Dump(out, depth);
  return out.str();
}

}  // namespace zan
