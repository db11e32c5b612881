#include "definition/definition_loader.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <sstream>

namespace zan {

void DefinitionLoader::Load(const DefinitionNode& node, Ui& ui) {
  // A well-formed tree pairs every name with a value; a tree built by other
  // means is walked only as far as the pairs go.
  const size_t count =
      std::min(node.property_names.size(), node.property_values.size());
  for (size_t i = 0; i < count; ++i) {
    OnProperty(node.property_names[i], node.property_values[i], ui);
  }
  for (const auto& child : node.children) {
    if (child != nullptr) OnPart(*child, ui);
  }
}

bool DefinitionLoader::OnProperty(const std::string& /*name*/,
                                  const std::string& /*value*/, Ui& /*ui*/) {
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

void ReportInvalidProperty(Ui& ui, const std::string& name,
                           const std::string& caption) {
  ShowLoaderMessage(ui, "Invalid property " + name, caption);
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
