#include "definition/button_menu.h"

namespace zan {
namespace {

constexpr char kMenuCaption[] = "TBDL Button Menu";
constexpr char kMenuItemCaption[] = "TBDL Command button";
constexpr char kSubMenuCaption[] = "TBDL button sub menu ";
constexpr char kSidebarPrefix[] = "SIDEBAR!";

}  // namespace

MenuEntry* MenuEntry::FindMenuEntry(uint32_t& /*counter*/,
                                    uint32_t /*number*/) {
  return nullptr;
}

void LoadMenuEntry(const DefinitionNode& child, MenuEntryList& entries,
                   Ui& ui) {
  RunFactory<MenuItem>("MENUITEM", child, entries, ui) ||
      RunFactory<MenuSeparator>("MENUSEPARATOR", child, entries, ui) ||
      RunFactory<SubMenu>("SUBMENU", child, entries, ui);
}

MenuEntry* FindInMenuEntries(const MenuEntryList& entries, uint32_t& counter,
                             uint32_t number) {
  for (const auto& entry : entries) {
    if (MenuEntry* nested = entry->FindMenuEntry(counter, number)) {
      return nested;
    }
    if (counter == number) return entry.get();
    ++counter;
  }
  return nullptr;
}

MenuEntryList CloneMenuEntries(const MenuEntryList& entries) {
  MenuEntryList copies;
  copies.reserve(entries.size());
  for (const auto& entry : entries) copies.push_back(entry->Clone());
  return copies;
}

bool MenuItem::OnProperty(std::string_view name, std::string_view value,
                          Ui& ui) {
  if (name == "command") {
    command = ResolveEscapes(value);
  } else if (name == "hint") {
    hint = ResolveEscapes(value);
  } else if (name == "image") {
    image = ReadInteger(value);
  } else if (name == "caption") {
    caption = ResolveEscapes(value);
  } else {
    ReportInvalidProperty(ui, name, kMenuItemCaption);
    return false;
  }
  return true;
}

void MenuItem::Dump(std::ostream& out, int depth) const {
  WriteBlockOpener(out, depth, "MENUITEM");
  WriteStringProperty(out, "command", command);
  WriteStringProperty(out, "hint", hint);
  WriteStringProperty(out, "caption", caption);
  WriteIntegerProperty(out, "image", image);
  out << "}\n";
}

bool MenuItem::IsSidebar() const { return caption.starts_with(kSidebarPrefix); }

std::unique_ptr<MenuEntry> MenuItem::Clone() const {
  return std::make_unique<MenuItem>(*this);
}

SubMenu::SubMenu(const SubMenu& other)
    : MenuEntry(other),
      caption(other.caption),
      image(other.image),
      entries(CloneMenuEntries(other.entries)) {}

bool SubMenu::OnProperty(std::string_view name, std::string_view value,
                         Ui& ui) {
  if (name == "caption") {
    caption = ResolveEscapes(value);
  } else if (name == "image") {
    image = ReadInteger(value);
  } else {
    ReportInvalidProperty(ui, name, kSubMenuCaption);
    return false;
  }
  return true;
}

void SubMenu::OnPart(const DefinitionNode& child, Ui& ui) {
  LoadMenuEntry(child, entries, ui);
}

void SubMenu::Dump(std::ostream& out, int depth) const {
  WriteBlockOpener(out, depth, "SUBMENU");
  WriteStringProperty(out, "command", command);
  WriteStringProperty(out, "hint", hint);
  WriteStringProperty(out, "caption", caption);
  WriteIntegerProperty(out, "image", image);
  // The line end follows the properties even without entries.
  out << '\n';
  for (const auto& entry : entries) entry->Dump(out, depth + 1);
  out << "}\n";
}

MenuEntry* SubMenu::FindMenuEntry(uint32_t& counter, uint32_t number) {
  return FindInMenuEntries(entries, counter, number);
}

std::unique_ptr<MenuEntry> SubMenu::Clone() const {
  return std::make_unique<SubMenu>(*this);
}

bool MenuSeparator::OnProperty(std::string_view /*name*/,
                               std::string_view /*value*/, Ui& /*ui*/) {
  return true;
}

void MenuSeparator::Dump(std::ostream& out, int depth) const {
  WriteBlocklessKeyword(out, depth, "MENUSEPARATOR");
}

std::unique_ptr<MenuEntry> MenuSeparator::Clone() const {
  return std::make_unique<MenuSeparator>(*this);
}

ButtonMenu::ButtonMenu(const ButtonMenu& other)
    : DefinitionLoader(other),
      entries(CloneMenuEntries(other.entries)),
      type(other.type),
      image(other.image),
      hotimage(other.hotimage) {}

bool ButtonMenu::OnProperty(std::string_view name, std::string_view value,
                            Ui& ui) {
  if (name == "image") {
    image = ResolveEscapes(value);
  } else if (name == "hotimage") {
    hotimage = ResolveEscapes(value);
  } else if (name == "type") {
    type = ResolveEscapes(value);
  } else {
    ReportInvalidProperty(ui, name, kMenuCaption);
    return false;
  }
  return true;
}

void ButtonMenu::OnPart(const DefinitionNode& child, Ui& ui) {
  LoadMenuEntry(child, entries, ui);
}

void ButtonMenu::Dump(std::ostream& out, int depth) const {
  WriteBlockOpener(out, depth, "MENU");
  WriteStringProperty(out, "type", type);
  WriteStringProperty(out, "image", image);
  WriteStringProperty(out, "hotimage", hotimage);
  WriteChildrenAndClose(out, depth, entries);
}

MenuEntry* ButtonMenu::FindMenuEntry(uint32_t number) const {
  uint32_t counter = 0;
  return FindInMenuEntries(entries, counter, number);
}

}  // namespace zan
