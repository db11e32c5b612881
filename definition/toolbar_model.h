#ifndef ZAN_DEFINITION_TOOLBAR_MODEL_H_
#define ZAN_DEFINITION_TOOLBAR_MODEL_H_

#include <cstdint>
#include <string>
#include <vector>

#include "definition/button_menu.h"
#include "definition/definition_loader.h"
#include "definition/toolbar_command.h"
#include "definition/toolbar_item.h"
#include "settings/resource_source.h"

namespace zan {

// Menu command identifiers come in blocks of this many per item, the block
// of item i starting at kFirstMenuCommandId + kMenuCommandIdsPerItem * i.
inline constexpr uint32_t kFirstMenuCommandId = 2048;
inline constexpr uint32_t kMenuCommandIdsPerItem = 800;
// The toolbar button of item i has the identifier kFirstButtonCommandId + i.
inline constexpr int32_t kFirstButtonCommandId = 1024;

inline constexpr char kDefaultImageListFile[] = "tbil.bmp";
inline constexpr char kDefaultHotImageListFile[] = "tbhotil.bmp";

// The loaded toolbar: its image list files, its elements in file order, its
// commands, and the lookups the rest of the system uses.
class ToolbarModel : public DefinitionLoader {
 public:
  // File names of the normal and the hot image list.
  std::string image_list_file = kDefaultImageListFile;
  std::string hot_image_list_file = kDefaultHotImageListFile;
  ToolbarItemList items;
  // WEBPAGE items whose url depends on the current page, and the INDICATOR
  // items; filled by RebuildReferenceLists. They own nothing.
  std::vector<ToolbarWebPage*> dynamic_web_pages;
  std::vector<ToolbarIndicator*> indicators;
  CommandSet commands;

  // The toolbar properties "image" and "hotimage"; any other name is
  // reported with the caption "TBDL Button Menu".
  bool OnProperty(std::string_view name, std::string_view value,
                  Ui& ui) override;
  // Elements in factory order, then "COMMANDS"; other blocks are ignored.
  void OnPart(const DefinitionNode& child, Ui& ui) override;
  // "RYX_Toolbar {", the items and the commands at depth 1, then "}"
  // without a line end. The toolbar properties are not written.
  void Dump(std::ostream& out, int depth) const override;

  // Position of the first command named exactly `name`, or -1.
  int FindCommandIndex(const std::string& name) const;
  // Position of the first item whose command is exactly `name`, or -1.
  int FindItemByCommand(const std::string& name) const;
  // Sets every item's command index to FindCommandIndex(its command).
  void ResolveItemCommands();
  // The menu entry that a menu command identifier stands for, or null.
  MenuEntry* FindMenuEntry(uint32_t identifier) const;
  // Makes the two image list files available (empty names fall back to
  // the defaults; the model keeps the bare names), then prepares every
  // command. False when a file or a command fails.
  bool FetchResources(ResourceSource& resources);
  // Sets every item's item index to its position, rebuilds the indicator
  // list and the dynamic web page list, and sets each web page's dynamic
  // flag.
  void RebuildReferenceLists();
};

}  // namespace zan

#endif  // ZAN_DEFINITION_TOOLBAR_MODEL_H_
