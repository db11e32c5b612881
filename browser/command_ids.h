#ifndef ZAN_BROWSER_COMMAND_IDS_H_
#define ZAN_BROWSER_COMMAND_IDS_H_

#include <cstdint>
#include <optional>

namespace zan {

// Command identifiers of the toolbar control, 16 bits as window messages
// carry them.
inline constexpr int kButtonIdBase = 0x400;  // button of item i: 0x400 + i
inline constexpr int kMenuIdBase = 0x800;    // menu entry k of item i
inline constexpr int kMenuIdsPerItem = 800;
inline constexpr int kSidebarId = 0x7E7;       // first-entry sidebar banner
inline constexpr int kMailboxIdBase = 0x5A07;  // mailbox of account n
inline constexpr int kFirstMailboxId = 0x5A08;
inline constexpr int kLastCommandId = 0x5AD0;

// The DISPIDs of the browser events the band listens to.
inline constexpr int kDispidBeforeNavigate2 = 250;
inline constexpr int kDispidNewWindow2 = 251;
inline constexpr int kDispidNavigateComplete2 = 252;
inline constexpr int kDispidOnQuit = 253;
inline constexpr int kDispidDocumentComplete = 259;
inline constexpr int kDispidDownloadComplete = 104;
inline constexpr int kDispidTitleChange = 113;

constexpr int ButtonCommandId(int item_index) {
  return kButtonIdBase + item_index;
}
constexpr int MenuCommandId(int item_index, int entry_number) {
  return kMenuIdBase + kMenuIdsPerItem * item_index + entry_number;
}

// Identifiers for menu entries whose number has no room in the blocks of
// 800 (entry 800 and on, or a block that reaches the mailbox identifiers,
// from item 26 on): a popup menu hands them out in entry order while it is
// built and resolves them while it is shown. They stay within 16 bits.
inline constexpr int kFirstExtraMenuId = kLastCommandId + 1;  // 0x5AD1
inline constexpr int kLastExtraMenuId = 0xFFFF;

// Whether entry `entry_number` of item `item_index` has its identifier in
// the block of the item: below 800 and below the mailbox identifiers.
constexpr bool MenuEntryIdFits(int item_index, int entry_number) {
  if (item_index < 0 || entry_number < 0 || entry_number >= kMenuIdsPerItem) {
    return false;
  }
  const long long id = kMenuIdBase +
                       static_cast<long long>(kMenuIdsPerItem) * item_index +
                       entry_number;
  return id < kFirstMailboxId;
}

// The item index of a button identifier; nullopt outside the button range.
constexpr std::optional<int> ItemOfButtonId(int id, int item_count) {
  if (id < kButtonIdBase) return std::nullopt;
  int i = id - kButtonIdBase;
  if (i >= item_count) return std::nullopt;
  return i;
}

// Button states and styles as the toolbar control keeps them.
inline constexpr int kStateChecked = 0x01;
inline constexpr int kStatePressed = 0x02;
inline constexpr int kStateEnabled = 0x04;
inline constexpr int kStateHidden = 0x08;
inline constexpr int kStateIndeterminate = 0x10;

inline constexpr int kStyleButton = 0x00;
inline constexpr int kStyleSep = 0x01;
inline constexpr int kStyleCheck = 0x02;
inline constexpr int kStyleDropDown = 0x08;
inline constexpr int kStyleAutoSize = 0x10;
inline constexpr int kStyleShowText = 0x40;
inline constexpr int kStyleWholeDropDown = 0x80;

// Extended style: drop-down arrows drawn.
inline constexpr int kExStyleDrawDropDownArrows = 1;

// Window styles added to the toolbar control.
inline constexpr int kToolbarStyleFlat = 0x800;
inline constexpr int kToolbarStyleList = 0x1000;

// Menu entry flags.
inline constexpr int kMenuFlagOwnerDraw = 0x100;
inline constexpr int kMenuFlagSeparator = 0x800;
inline constexpr int kMenuFlagPopup = 0x10;
inline constexpr int kMenuFlagMenuBreak = 0x40;
inline constexpr int kMenuFlagGrayed = 0x01;

// Tag that marks the toolbar's own owner-drawn menu entries.
inline constexpr uint32_t kMenuEntryTag = 0x1313;

}  // namespace zan

#endif  // ZAN_BROWSER_COMMAND_IDS_H_
