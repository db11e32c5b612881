#ifndef ZAN_SETTINGS_REG_FILE_H_
#define ZAN_SETTINGS_REG_FILE_H_

#include <ostream>
#include <string>

#include "platform/registry.h"

namespace zan {

// The registry's text form (a "REGEDIT4" file) so that people can read and
// fix the toolbar's settings:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\SOFTWARE\ZAN Inc.\ZAN]
//   "GlobalUpdateFlag"="0"
//   "AutoUpdatePeriod"=dword:00000018
//   @="default value"
//   "POP3Password1"=hex:25,40,0a
//
// A REG_SZ that is not one text with its terminating zero, a REG_DWORD that
// is not four bytes, and every other type are written as hex(N): so that an
// import gives back exactly the same bytes.

// Prints the key `key_path` ("HKEY_CURRENT_USER\SOFTWARE\ZAN Inc.", hive
// names may be abbreviated HKCU, HKLM, HKCR) with all its sub keys, or the
// whole store when `key_path` is empty. False (and `error` set, nothing
// printed) when the key does not exist. Trees of any depth print, also
// keys deeper than the store would create today.
bool ExportRegFile(Registry& registry, const std::string& key_path,
                   std::ostream& out, std::string& error);
// The same into a text.
bool ExportRegFile(Registry& registry, const std::string& key_path,
                   std::string& out, std::string& error);

// Applies a file in the same format: "[KEY]" creates a key, "[-KEY]"
// deletes it with its sub keys, "name"=- deletes a value. The whole text is
// checked first; on a syntax error nothing is written and `error` names the
// line. A step that the store refuses (a key deeper than it allows, a name
// it cannot hold) does not stop the rest: the import goes on, skipping the
// values of a refused key, and returns false with `error` holding one line
// per refusal ("line 12: key refused: deeper than 512 levels (...)").
bool ImportRegFile(Registry& registry, const std::string& text,
                   std::string& error);

}  // namespace zan

#endif  // ZAN_SETTINGS_REG_FILE_H_
