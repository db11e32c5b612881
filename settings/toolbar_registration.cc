#include "settings/toolbar_registration.h"

#include <filesystem>
#include <system_error>

#include "settings/browser_utils.h"
#include "settings/product_constants.h"

namespace zan {

namespace {

constexpr char kBrowserToolbarKey[] =
    "Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr char kExplorerBarsKey[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer Bars";
constexpr char kExtensionsKey[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
constexpr char kRunOnceKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Runonce";
constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kWebBrowserStateKey[] =
    "Software\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser";
constexpr char kProgId[] = "RYX.ZAN.1";
constexpr char kVersionIndependentProgId[] = "RYX.ZAN";

RegistryValue Sz(const std::string& text) {
  return {RegistryType::kString, text + std::string(1, '\0')};
}

// Sets the default value of `path` under `root`, creating the key.
bool SetDefault(RegistryKey& root, const std::string& path,
                const std::string& text) {
  auto key = root.CreateKey(path);
  return key && key->SetValue("", Sz(text));
}

std::string ClassKeyPath() { return "CLSID\\" + ToolbarClassId(); }

}  // namespace

bool IsToolbarRegistered(Registry& registry) {
  auto key = registry.OpenKey(RegistryHive::kLocalMachine, kBrowserToolbarKey);
  return key && key->QueryValue(ToolbarClassId()).has_value();
}

bool IsToolbarClassCreatable(Registry& registry, const std::string& prog_id) {
  if (prog_id != kProgId && prog_id != kVersionIndependentProgId) return false;
  return registry.OpenKey(RegistryHive::kClassesRoot, prog_id + "\\CLSID") !=
         nullptr;
}

RemovalCommands WindowsRemovalCommands(const std::string& module_path) {
  return RemovalCommands{
      "regsvr32 /u /s \"" + module_path + "\" ",
      "rundll32.exe advpack.dll,DelNodeRunDLL32 \"" + module_path + "\""};
}

ToolbarRegistration::ToolbarRegistration(
    Registry& registry, BrowserFactory* browsers, std::string module_path,
    std::optional<RemovalCommands> commands)
    : registry_(registry),
      browsers_(browsers),
      module_path_(std::move(module_path)),
      commands_(commands ? std::move(*commands)
                         : WindowsRemovalCommands(module_path_)),
      settings_(registry) {}

bool ToolbarRegistration::RegisterServer() {
  RegisterClassEntries();
  RegisterToolbar();
  return RegisterClassEntries();
}

bool ToolbarRegistration::UnregisterServer() {
  UnregisterToolbar();
  UnregisterExtensions();
  return UnregisterClassEntries();
}

bool ToolbarRegistration::RegisterClassEntries() {
  auto root = registry_.OpenHive(RegistryHive::kClassesRoot);
  if (!root) return false;
  const std::string product = ProductName();
  const std::string class_key = ClassKeyPath();
  bool ok = SetDefault(*root, kProgId, product);
  ok = SetDefault(*root, std::string(kProgId) + "\\CLSID", ToolbarClassId()) &&
       ok;
  ok = SetDefault(*root, kVersionIndependentProgId, product) && ok;
  ok = SetDefault(*root, std::string(kVersionIndependentProgId) + "\\CLSID",
                  ToolbarClassId()) &&
       ok;
  ok = SetDefault(*root, std::string(kVersionIndependentProgId) + "\\CurVer",
                  kProgId) &&
       ok;
  ok = SetDefault(*root, class_key, product) && ok;
  ok = SetDefault(*root, class_key + "\\ProgID", kProgId) && ok;
  ok = SetDefault(*root, class_key + "\\VersionIndependentProgID",
                  kVersionIndependentProgId) &&
       ok;
  ok = root->CreateKey(class_key + "\\Programmable") != nullptr && ok;
  auto server = root->CreateKey(class_key + "\\InprocServer32");
  ok = server && server->SetValue("", Sz(module_path_)) &&
       server->SetValue("ThreadingModel", Sz("Apartment")) && ok;
  ok = SetDefault(*root, class_key + "\\TypeLib", TypeLibraryId()) && ok;
  return ok;
}

bool ToolbarRegistration::UnregisterClassEntries() {
  auto root = registry_.OpenHive(RegistryHive::kClassesRoot);
  if (!root) return false;
  root->DeleteKey(kProgId);
  root->DeleteKey(kVersionIndependentProgId);
  root->DeleteKey(ClassKeyPath());
  // Gone is gone: the entries are absent afterwards whether or not this call
  // removed them.
  return !root->OpenKey(kProgId) && !root->OpenKey(kVersionIndependentProgId) &&
         !root->OpenKey(ClassKeyPath());
}

void ToolbarRegistration::WriteInstallEntries(bool install) {
  if (auto toolbars = registry_.CreateKey(RegistryHive::kLocalMachine,
                                          kBrowserToolbarKey)) {
    if (install) {
      toolbars->SetValue(ToolbarClassId(), {RegistryType::kBinary, ""});
    } else {
      toolbars->DeleteValue(ToolbarClassId());
    }
  }
  if (auto run_once =
          registry_.CreateKey(RegistryHive::kCurrentUser, kRunOnceKey)) {
    const std::string name = "Remove " + CompanyName();
    if (install) {
      run_once->DeleteValue(name);
    } else {
      run_once->SetValue(name, Sz(commands_.remove_module));
    }
  }
  if (auto uninstall =
          registry_.CreateKey(RegistryHive::kLocalMachine,
                              kUninstallKey + CompanyName() + ProductName())) {
    if (install) {
      uninstall->SetValue("DisplayName", Sz(CompanyName() + " - Toolbar"));
      uninstall->SetValue("UninstallString", Sz(commands_.uninstall));
    } else {
      uninstall->DeleteValue("DisplayName");
      uninstall->DeleteValue("UninstallString");
    }
  }
}

uint32_t ToolbarRegistration::UnlockToolbars() {
  uint32_t locked = 0;
  if (auto key =
          registry_.CreateKey(RegistryHive::kCurrentUser, kBrowserToolbarKey)) {
    auto value = key->QueryValue("Locked");
    if (value && value->data.size() >= 4) {
      for (int i = 3; i >= 0; --i) {
        locked = locked << 8 | static_cast<unsigned char>(value->data[i]);
      }
    }
    key->SetValue("Locked", DwordValue(0));
  }
  return locked;
}

void ToolbarRegistration::RestoreLocked(uint32_t locked) {
  if (auto key =
          registry_.CreateKey(RegistryHive::kCurrentUser, kBrowserToolbarKey)) {
    key->SetValue("Locked", DwordValue(locked));
  }
}

void ToolbarRegistration::RegisterToolbar() {
  const uint32_t locked = UnlockToolbars();
  WriteInstallEntries(true);
  settings_.SetString("ToolBarUpdateFlag", "1");
  registry_.CreateKey(RegistryHive::kLocalMachine,
                      std::string(kExplorerBarsKey) + "\\" + ToolbarClassId());
  Browser* window = nullptr;
  if (browsers_ != nullptr) OpenBrowserWindow(window, *browsers_);
  const bool in_update =
      settings_.GetString("ToolBarUpdateInProgress", "0") == "1";
  settings_.SetString("ToolBarUpdateInProgress", "0");
  RestoreLocked(locked);
  if (window != nullptr) {
    ShowExplorerBarAt(*window, ToolbarClassId(),
                      in_update ? SiteUpdateUrl() : SiteIndexUrl(), true);
  }
  settings_.SetString("ToolBarUpdateFlag", "0");
}

void ToolbarRegistration::UnregisterToolbar() {
  const uint32_t locked = UnlockToolbars();
  WriteInstallEntries(false);
  for (SettingsValueEnumerator files(settings_, "ResourceFiles", true);
       files.HasName(); files.Next()) {
    // Only plain files: an entry naming a folder or a missing file is
    // skipped.
    std::error_code error;
    if (std::filesystem::is_regular_file(
            std::filesystem::symlink_status(files.Name(), error))) {
      std::filesystem::remove(files.Name(), error);
    }
  }
  if (auto state =
          registry_.OpenKey(RegistryHive::kCurrentUser, kWebBrowserStateKey)) {
    state->DeleteValue(ToolbarClassId());
  }
  if (auto company = settings_.OpenCompanyKey()) {
    company->DeleteKey(ProductName());
  }
  Browser* window = nullptr;
  if (browsers_ != nullptr && OpenBrowserWindow(window, *browsers_)) {
    ShowExplorerBarAt(*window, ToolbarClassId(), SiteUninstallUrl(), false);
  }
  RestoreLocked(locked);
}

void ToolbarRegistration::UnregisterExtensions() {
  registry_.DeleteKey(RegistryHive::kLocalMachine,
                      std::string(kExtensionsKey) + "\\" + TypeLibraryId());
  registry_.DeleteKey(RegistryHive::kLocalMachine,
                      std::string(kExplorerBarsKey) + "\\" + ToolbarClassId());
}

}  // namespace zan
