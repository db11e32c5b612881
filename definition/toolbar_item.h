#ifndef ZAN_DEFINITION_TOOLBAR_ITEM_H_
#define ZAN_DEFINITION_TOOLBAR_ITEM_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "definition/button_menu.h"
#include "definition/definition_loader.h"

namespace zan {

// The kind codes of the toolbar elements.
enum class ItemKind : int {
  kText = 0,
  kCombo = 1,
  kButton = 2,
  kWebPage = 3,
  kSeparator = 4,
  kIndicator = 5,
};

// Base of the toolbar's visible elements. The fields are the loaded data;
// the window side reads them.
class ToolbarItem : public DefinitionLoader {
 public:
  // Position in the model's item list, set at start-up; the toolbar button
  // of the item has the command identifier 1024 + item_index.
  int32_t item_index = -2;
  // Index of the command named by `command`, set by ResolveItemCommands;
  // -1 when no command has that name.
  int32_t command_index = -2;
  std::string hint;
  std::string caption;
  std::string command;
  // Index into the toolbar's image list; -2 when none was given.
  int32_t image = -2;

  // Accepts caption, image, command and hint; reports anything else with
  // the element's diagnostic caption.
  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;

  // The caption; COMBO and WEBPAGE return their name.
  virtual const std::string& GetName() const { return caption; }
  virtual ItemKind GetKind() const = 0;
  virtual std::unique_ptr<ToolbarItem> Clone() const = 0;
  // The entry of the item's menu with the given local number; items without
  // a menu have none.
  virtual MenuEntry* FindMenuEntry(uint32_t /*number*/) const {
    return nullptr;
  }
  // The image index to show.
  virtual int32_t GetImage() const { return image; }

 protected:
  // Stores the four properties every element knows; false for other names.
  bool TakeCommonProperty(std::string_view name, std::string_view value);
  // The caption of the "Invalid property " box.
  virtual const char* DiagnosticCaption() const = 0;
};

using ToolbarItemList = std::vector<std::unique_ptr<ToolbarItem>>;

// BUTTON: an image-list button, optionally with a drop-down menu.
class ToolbarButton : public ToolbarItem {
 public:
  ButtonMenu menu;

  void OnPart(const DefinitionNode& child, Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
  ItemKind GetKind() const override { return ItemKind::kButton; }
  std::unique_ptr<ToolbarItem> Clone() const override;
  MenuEntry* FindMenuEntry(uint32_t number) const override;

 protected:
  const char* DiagnosticCaption() const override { return "TBDL Button"; }
};

// TEXT: a caption on the toolbar; the same data as a button.
class ToolbarText : public ToolbarButton {
 public:
  void Dump(std::ostream& out, int depth) const override;
  ItemKind GetKind() const override { return ItemKind::kText; }
  std::unique_ptr<ToolbarItem> Clone() const override;
};

// INDICATOR: a button whose image and hint show a state (the value "POP3"
// of `type` makes it the new-mail indicator).
class ToolbarIndicator : public ToolbarButton {
 public:
  ToolbarIndicator() { image = -1; }

  std::string type;
  // "addimg1" to "addimg5".
  int32_t additional_images[5] = {-1, -1, -1, -1, -1};
  // "param1" to "param3".
  std::string parameters[3];

  // State kept by the indicator's evaluation (mail checker): the image it
  // chose, whether it blinks, and its state code (0 no news, 1 news,
  // 2 error; negated while blinked off).
  std::optional<int32_t> evaluated_image;
  bool blinking = false;
  int32_t indicator_state = 0;

  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
  ItemKind GetKind() const override { return ItemKind::kIndicator; }
  std::unique_ptr<ToolbarItem> Clone() const override;
  // The evaluated image once an evaluation has run, else the "image".
  int32_t GetImage() const override { return evaluated_image.value_or(image); }

 protected:
  const char* DiagnosticCaption() const override { return "TBDL Indicator"; }
};

// COMBOVALUE: one preset entry of a COMBO.
class ComboValue : public DefinitionLoader {
 public:
  std::string caption;
  std::string value;

  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
};

// COMBO: a search box with a history or a list of preset values.
class ToolbarCombo : public ToolbarItem {
 public:
  ToolbarCombo() = default;
  ToolbarCombo(const ToolbarCombo& other);
  ToolbarCombo& operator=(const ToolbarCombo&) = delete;

  std::string name;
  // "edit" is recognised by the window side.
  std::string type;
  // Kept as written.
  std::string width;
  int32_t max_chars = 0;
  int32_t max_history_lines = 0;
  // Non-zero: a password field.
  int32_t password = 0;
  std::vector<std::unique_ptr<ComboValue>> values;

  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  void OnPart(const DefinitionNode& child, Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
  const std::string& GetName() const override { return name; }
  ItemKind GetKind() const override { return ItemKind::kCombo; }
  std::unique_ptr<ToolbarItem> Clone() const override;

 protected:
  const char* DiagnosticCaption() const override { return "TBDL Combo"; }
};

// WEBPAGE: an embedded web-page pane.
class ToolbarWebPage : public ToolbarItem {
 public:
  std::string name;
  // The page address; may hold macros.
  std::string url;
  int32_t border = 0;
  int32_t width = 0;
  // Set at start-up when the url depends on the browser's current page.
  bool dynamic = false;

  // Accepts only url, name, border and width.
  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
  const std::string& GetName() const override { return name; }
  ItemKind GetKind() const override { return ItemKind::kWebPage; }
  std::unique_ptr<ToolbarItem> Clone() const override;
  // True when `url` holds "%url", "%domain" or "%newdomain".
  bool HasDynamicUrl() const;

 protected:
  const char* DiagnosticCaption() const override {
    return "TBDL Webpage button";
  }
};

// SEPARATOR: a gap between elements. It keeps the four common properties
// and ignores any other name without a message.
class ToolbarSeparator : public ToolbarItem {
 public:
  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  void Dump(std::ostream& out, int depth) const override;
  ItemKind GetKind() const override { return ItemKind::kSeparator; }
  std::unique_ptr<ToolbarItem> Clone() const override;

 protected:
  const char* DiagnosticCaption() const override { return ""; }
};

// Runs the element factories in the toolbar's order ("BUTTON", "TEXT",
// "COMBO", "WEBPAGE", "SEPARATOR", "INDICATOR"); returns false when the
// node names none of them.
bool LoadToolbarItem(const DefinitionNode& node, ToolbarItemList& items,
                     Ui& ui);

}  // namespace zan

#endif  // ZAN_DEFINITION_TOOLBAR_ITEM_H_
