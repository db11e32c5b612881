#ifndef ZAN_DEFINITION_BUTTON_MENU_H_
#define ZAN_DEFINITION_BUTTON_MENU_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "definition/definition_loader.h"

namespace zan {

enum class MenuEntryKind : int { kItem = 0, kSubMenu = 1, kSeparator = 2 };

class MenuEntry;
using MenuEntryList = std::vector<std::unique_ptr<MenuEntry>>;

// One entry of a button's drop-down menu (MENUITEM, SUBMENU, MENUSEPARATOR).
class MenuEntry : public DefinitionLoader {
 public:
  std::string hint;
  // Name of the command that the entry runs.
  std::string command;
  // Filled by the menu builder when the entry expands into generated
  // entries (the mailbox list): their labels and command identifiers.
  std::vector<std::string> generated_labels;
  std::vector<uint32_t> generated_ids;

  // True only for a MENUITEM whose caption begins with "SIDEBAR!".
  virtual bool IsSidebar() const { return false; }
  // The nested lookup of the menu numbering: a SUBMENU numbers its own
  // entries with the shared `counter`; other entries find nothing.
  virtual MenuEntry* FindMenuEntry(uint32_t& counter, uint32_t number);
  virtual std::unique_ptr<MenuEntry> Clone() const = 0;
  virtual MenuEntryKind GetEntryKind() const = 0;
  // The image list index to show; a separator shows none (-1).
  virtual int32_t GetImage() const { return -1; }
};

// Runs the entry factories ("MENUITEM", "MENUSEPARATOR", "SUBMENU") on one
// nested block; blocks of other names are ignored.
void LoadMenuEntry(const DefinitionNode& child, MenuEntryList& entries, Ui& ui);
// The shared numbering over a list of entries: a submenu's children are
// numbered before the submenu itself, separators take numbers too.
MenuEntry* FindInMenuEntries(const MenuEntryList& entries, uint32_t& counter,
                             uint32_t number);
MenuEntryList CloneMenuEntries(const MenuEntryList& entries);

class MenuItem : public MenuEntry {
 public:
  std::string caption;
  int32_t image = -2;

  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
  bool IsSidebar() const override;
  std::unique_ptr<MenuEntry> Clone() const override;
  MenuEntryKind GetEntryKind() const override { return MenuEntryKind::kItem; }
  int32_t GetImage() const override { return image; }
};

class SubMenu : public MenuEntry {
 public:
  SubMenu() = default;
  SubMenu(const SubMenu& other);
  SubMenu& operator=(const SubMenu&) = delete;

  std::string caption;
  int32_t image = -2;
  MenuEntryList entries;

  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  void OnPart(const DefinitionNode& child, Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
  MenuEntry* FindMenuEntry(uint32_t& counter, uint32_t number) override;
  std::unique_ptr<MenuEntry> Clone() const override;
  MenuEntryKind GetEntryKind() const override {
    return MenuEntryKind::kSubMenu;
  }
  int32_t GetImage() const override { return image; }
};

class MenuSeparator : public MenuEntry {
 public:
  // Every property is accepted and ignored.
  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
  std::unique_ptr<MenuEntry> Clone() const override;
  MenuEntryKind GetEntryKind() const override {
    return MenuEntryKind::kSeparator;
  }
};

// The MENU block of a button. Every button has one, empty without a MENU
// block.
class ButtonMenu : public DefinitionLoader {
 public:
  ButtonMenu() = default;
  ButtonMenu(const ButtonMenu& other);
  ButtonMenu& operator=(const ButtonMenu&) = delete;

  MenuEntryList entries;
  // "Single", "Split" or "None"; empty leaves a plain button.
  std::string type;
  // File names of the bitmaps shown as the button's face.
  std::string image;
  std::string hotimage;

  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  void OnPart(const DefinitionNode& child, Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
  // The entry with the given number in depth-first order, or null.
  MenuEntry* FindMenuEntry(uint32_t number) const;
};

}  // namespace zan

#endif  // ZAN_DEFINITION_BUTTON_MENU_H_
