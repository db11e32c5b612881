#include "definition/toolbar_model.h"

namespace zan {

bool ToolbarModel::OnProperty(std::string_view name, std::string_view value,
                              Ui& ui) {
  if (name == "image") {
    image_list_file = ResolveEscapes(value);
  } else if (name == "hotimage") {
    hot_image_list_file = ResolveEscapes(value);
  } else {
    ReportInvalidProperty(ui, name, "TBDL Button Menu");
    return false;
  }
  return true;
}

void ToolbarModel::OnPart(const DefinitionNode& child, Ui& ui) {
  if (LoadToolbarItem(child, items, ui)) return;
  if (child.name() == "COMMANDS") commands.Load(child, ui);
}

void ToolbarModel::Dump(std::ostream& out, int /*depth*/) const {
  out << "RYX_Toolbar {\n";
  for (const auto& item : items) item->Dump(out, 1);
  commands.Dump(out, 1);
  out << '}';
}

int ToolbarModel::FindCommandIndex(const std::string& name) const {
  for (size_t i = 0; i < commands.commands.size(); ++i) {
    if (commands.commands[i]->name == name) return static_cast<int>(i);
  }
  return -1;
}

int ToolbarModel::FindItemByCommand(const std::string& name) const {
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i]->command == name) return static_cast<int>(i);
  }
  return -1;
}

void ToolbarModel::ResolveItemCommands() {
  for (auto& item : items)
    item->command_index = FindCommandIndex(item->command);
}

MenuEntry* ToolbarModel::FindMenuEntry(uint32_t identifier) const {
  // Unsigned arithmetic: identifiers below the first block wrap around to
  // huge offsets and so fall outside every item.
  const uint32_t offset = identifier - kFirstMenuCommandId;
  const uint32_t item = offset / kMenuCommandIdsPerItem;
  const uint32_t number = offset % kMenuCommandIdsPerItem;
  if (item >= items.size()) return nullptr;
  return items[item]->FindMenuEntry(number);
}

bool ToolbarModel::FetchResources(ResourceSource& resources) {
  if (image_list_file.empty()) image_list_file = kDefaultImageListFile;
  if (hot_image_list_file.empty()) {
    hot_image_list_file = kDefaultHotImageListFile;
  }
  std::string image_list = image_list_file;
  if (!resources.DownloadResource(image_list)) return false;
  std::string hot_image_list = hot_image_list_file;
  if (!resources.DownloadResource(hot_image_list)) return false;
  for (auto& command : commands.commands) {
    if (!command->Prepare()) return false;
  }
  return true;
}

void ToolbarModel::RebuildReferenceLists() {
  indicators.clear();
  dynamic_web_pages.clear();
  for (size_t i = 0; i < items.size(); ++i) {
    ToolbarItem& item = *items[i];
    item.item_index = static_cast<int32_t>(i);
    if (item.GetKind() == ItemKind::kIndicator) {
      indicators.push_back(static_cast<ToolbarIndicator*>(&item));
    } else if (item.GetKind() == ItemKind::kWebPage) {
      auto& page = static_cast<ToolbarWebPage&>(item);
      page.dynamic = page.HasDynamicUrl();
      if (page.dynamic) dynamic_web_pages.push_back(&page);
    }
  }
}

}  // namespace zan
