#include "definition/toolbar_item.h"

#include <string_view>

namespace zan {
namespace {

constexpr char kComboCaption[] = "TBDL Combo";
constexpr char kComboValueCaption[] = "TBDLLoad Combo Value";

// The digit of a numbered property family ("addimg1", "param3"), or -1 when
// `name` is not `prefix` followed by one digit from 1 to `last`.
int FamilyIndex(std::string_view name, std::string_view prefix, int last) {
  if (name.size() != prefix.size() + 1 || !name.starts_with(prefix)) {
    return -1;
  }
  const int digit = name.back() - '0';
  return digit >= 1 && digit <= last ? digit - 1 : -1;
}

}  // namespace

bool ToolbarItem::TakeCommonProperty(std::string_view name,
                                     std::string_view value) {
  if (name == "caption") {
    caption = ResolveEscapes(value);
  } else if (name == "image") {
    image = ReadInteger(value);
  } else if (name == "command") {
    command = ResolveEscapes(value);
  } else if (name == "hint") {
    hint = ResolveEscapes(value);
  } else {
    return false;
  }
  return true;
}

bool ToolbarItem::OnProperty(std::string_view name, std::string_view value,
                             Ui& ui) {
  if (TakeCommonProperty(name, value)) return true;
  ReportInvalidProperty(ui, name, DiagnosticCaption());
  return false;
}

void ToolbarButton::OnPart(const DefinitionNode& child, Ui& ui) {
  if (child.name() == "MENU") menu.Load(child, ui);
}

void ToolbarButton::Dump(std::ostream& out, int depth) const {
  WriteBlockOpener(out, depth, "BUTTON");
  WriteStringProperty(out, "caption", caption);
  WriteStringProperty(out, "command", command);
  WriteStringProperty(out, "hint", hint);
  WriteIntegerProperty(out, "image", image);
  if (!menu.entries.empty() || !menu.image.empty()) {
    out << '\n';
    menu.Dump(out, depth + 1);
  }
  out << "}\n";
}

std::unique_ptr<ToolbarItem> ToolbarButton::Clone() const {
  return std::make_unique<ToolbarButton>(*this);
}

MenuEntry* ToolbarButton::FindMenuEntry(uint32_t number) const {
  return menu.FindMenuEntry(number);
}

void ToolbarText::Dump(std::ostream& out, int depth) const {
  WriteBlockOpener(out, depth, "TEXT");
  WriteStringProperty(out, "caption", caption);
  WriteStringProperty(out, "command", command);
  WriteStringProperty(out, "hint", hint);
  out << "}\n";
}

std::unique_ptr<ToolbarItem> ToolbarText::Clone() const {
  return std::make_unique<ToolbarText>(*this);
}

bool ToolbarIndicator::OnProperty(std::string_view name, std::string_view value,
                                  Ui& ui) {
  if (name == "type") {
    type = ResolveEscapes(value);
    return true;
  }
  if (const int i = FamilyIndex(name, "addimg", 5); i >= 0) {
    additional_images[i] = ReadInteger(value);
    return true;
  }
  if (const int i = FamilyIndex(name, "param", 3); i >= 0) {
    parameters[i] = ResolveEscapes(value);
    return true;
  }
  return ToolbarButton::OnProperty(name, value, ui);
}

void ToolbarIndicator::Dump(std::ostream& out, int depth) const {
  static constexpr const char* kAddImageNames[5] = {
      "addimg1", "addimg2", "addimg3", "addimg4", "addimg5"};
  static constexpr const char* kParameterNames[3] = {"param1", "param2",
                                                     "param3"};
  WriteBlockOpener(out, depth, "INDICATOR");
  WriteStringProperty(out, "caption", caption);
  WriteStringProperty(out, "command", command);
  WriteStringProperty(out, "hint", hint);
  WriteIntegerProperty(out, "image", image);
  WriteStringProperty(out, "type", type);
  for (int i = 0; i < 5; ++i) {
    WriteIntegerProperty(out, kAddImageNames[i], additional_images[i]);
  }
  for (int i = 0; i < 3; ++i) {
    WriteStringProperty(out, kParameterNames[i], parameters[i]);
  }
  out << "}\n";
}

std::unique_ptr<ToolbarItem> ToolbarIndicator::Clone() const {
  return std::make_unique<ToolbarIndicator>(*this);
}

bool ComboValue::OnProperty(std::string_view name, std::string_view text,
                            Ui& ui) {
  if (name == "caption") {
    caption = ResolveEscapes(text);
  } else if (name == "value") {
    value = ResolveEscapes(text);
  } else {
    ReportInvalidProperty(ui, name, kComboValueCaption);
    return false;
  }
  return true;
}

void ComboValue::Dump(std::ostream& out, int depth) const {
  WriteBlockOpener(out, depth, "COMBOVALUE");
  WriteStringProperty(out, "caption", caption);
  WriteStringProperty(out, "value", value);
  out << "}\n";
}

ToolbarCombo::ToolbarCombo(const ToolbarCombo& other)
    : ToolbarItem(other),
      name(other.name),
      type(other.type),
      width(other.width),
      max_chars(other.max_chars),
      max_history_lines(other.max_history_lines),
      password(other.password) {
  values.reserve(other.values.size());
  for (const auto& value : other.values) {
    values.push_back(std::make_unique<ComboValue>(*value));
  }
}

bool ToolbarCombo::OnProperty(std::string_view property, std::string_view value,
                              Ui& ui) {
  if (property == "name") {
    name = ResolveEscapes(value);
  } else if (property == "maxchars") {
    max_chars = ReadInteger(value);
  } else if (property == "type") {
    type = ResolveEscapes(value);
  } else if (property == "password") {
    password = ReadInteger(value);
  } else if (property == "maxhistlines") {
    max_history_lines = ReadInteger(value);
  } else if (property == "width") {
    width = ResolveEscapes(value);
  } else {
    return ToolbarItem::OnProperty(property, value, ui);
  }
  return true;
}

void ToolbarCombo::OnPart(const DefinitionNode& child, Ui& ui) {
  if (!RunFactory<ComboValue>("COMBOVALUE", child, values, ui)) {
    ShowLoaderMessage(ui, "Invalid part declared in COMBO!", kComboCaption);
  }
}

void ToolbarCombo::Dump(std::ostream& out, int depth) const {
  WriteBlockOpener(out, depth, "COMBO");
  WriteStringProperty(out, "type", type);
  WriteStringProperty(out, "name", name);
  WriteStringProperty(out, "caption", caption);
  WriteStringProperty(out, "command", command);
  WriteStringProperty(out, "hint", hint);
  WriteIntegerProperty(out, "maxhistlines", max_history_lines);
  WriteStringProperty(out, "width", width);
  WriteIntegerProperty(out, "maxchars", max_chars);
  WriteIntegerProperty(out, "password", password);
  WriteChildrenAndClose(out, depth, values);
}

std::unique_ptr<ToolbarItem> ToolbarCombo::Clone() const {
  return std::make_unique<ToolbarCombo>(*this);
}

bool ToolbarWebPage::OnProperty(std::string_view property,
                                std::string_view value, Ui& ui) {
  if (property == "url") {
    url = ResolveEscapes(value);
  } else if (property == "name") {
    name = ResolveEscapes(value);
  } else if (property == "border") {
    border = ReadInteger(value);
  } else if (property == "width") {
    width = ReadInteger(value);
  } else {
    ReportInvalidProperty(ui, property, DiagnosticCaption());
    return false;
  }
  return true;
}

void ToolbarWebPage::Dump(std::ostream& out, int depth) const {
  WriteBlockOpener(out, depth, "WEBPAGE");
  WriteStringProperty(out, "name", name);
  WriteStringProperty(out, "url", url);
  WriteIntegerProperty(out, "border", border);
  WriteIntegerProperty(out, "width", width);
  out << "}\n";
}

std::unique_ptr<ToolbarItem> ToolbarWebPage::Clone() const {
  return std::make_unique<ToolbarWebPage>(*this);
}

bool ToolbarWebPage::HasDynamicUrl() const {
  for (const char* placeholder : {"%url", "%domain", "%newdomain"}) {
    if (url.find(placeholder) != std::string::npos) return true;
  }
  return false;
}

bool ToolbarSeparator::OnProperty(std::string_view name, std::string_view value,
                                  Ui& /*ui*/) {
  return TakeCommonProperty(name, value);
}

void ToolbarSeparator::Dump(std::ostream& out, int depth) const {
  WriteBlocklessKeyword(out, depth, "SEPARATOR");
}

std::unique_ptr<ToolbarItem> ToolbarSeparator::Clone() const {
  return std::make_unique<ToolbarSeparator>(*this);
}

bool LoadToolbarItem(const DefinitionNode& node, ToolbarItemList& items,
                     Ui& ui) {
  return RunFactory<ToolbarButton>("BUTTON", node, items, ui) ||
         RunFactory<ToolbarText>("TEXT", node, items, ui) ||
         RunFactory<ToolbarCombo>("COMBO", node, items, ui) ||
         RunFactory<ToolbarWebPage>("WEBPAGE", node, items, ui) ||
         RunFactory<ToolbarSeparator>("SEPARATOR", node, items, ui) ||
         RunFactory<ToolbarIndicator>("INDICATOR", node, items, ui);
}

}  // namespace zan
