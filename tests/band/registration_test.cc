// regsvr32 registers the real ZAN.dll and removes it again: every key the
// browser and the system read, and nothing left behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "hosts/band/zan_idl.h"
#include "settings/product_constants.h"
#include "tests/band/band_test_util.h"

namespace zan::test {
namespace {

const std::string kClassKey = "CLSID\\" + ToolbarClassId();
const std::string kTypeLibKey = "TypeLib\\" + TypeLibraryId();
constexpr char kInterfaceKey[] =
    "Interface\\{8E3C6A52-4F1D-4B7A-A2C9-5D0B7E1F3A64}";
constexpr char kToolbarKey[] =
    "Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZAN Inc.ZAN";
constexpr char kRunOnceKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Runonce";

DWORD ReadLocked() {
  DWORD value = 12345;
  DWORD size = sizeof(value);
  RegGetValueA(HKEY_CURRENT_USER, kToolbarKey, "Locked", RRF_RT_REG_DWORD,
               nullptr, &value, &size);
  return value;
}

void SetLocked(DWORD value) {
  RegSetKeyValueA(HKEY_CURRENT_USER, kToolbarKey, "Locked", REG_DWORD, &value,
                  sizeof(value));
}

TEST(RegistrationTest, Regsvr32RegistersAndUnregistersEverything) {
  SetLocked(1);
  // Left from an earlier removal: registering again cancels it.
  const std::string remove_value = "Remove ZAN Inc.";
  RegSetKeyValueA(HKEY_CURRENT_USER, kRunOnceKey, remove_value.c_str(), REG_SZ,
                  "x", 2);
  ASSERT_EQ(Regsvr32(false), 0);

  const std::string dll = BandDllPath();
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, "RYX.ZAN.1", ""), "ZAN");
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, "RYX.ZAN.1\\CLSID", ""),
            ToolbarClassId());
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, "RYX.ZAN", ""), "ZAN");
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, "RYX.ZAN\\CLSID", ""),
            ToolbarClassId());
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, "RYX.ZAN\\CurVer", ""), "RYX.ZAN.1");
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, kClassKey, ""), "ZAN");
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, kClassKey + "\\ProgID", ""),
            "RYX.ZAN.1");
  EXPECT_EQ(
      ReadText(HKEY_CLASSES_ROOT, kClassKey + "\\VersionIndependentProgID", ""),
      "RYX.ZAN");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey + "\\Programmable"));
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", ""),
            dll);
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32",
                     "ThreadingModel"),
            "Apartment");
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, kClassKey + "\\TypeLib", ""),
            TypeLibraryId());
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, kTypeLibKey + "\\1.0\\0\\win64", ""),
            dll);

  // The registered type library names the library, the class and the dual
  // interface with its one method.
  ITypeLib* library = nullptr;
  ASSERT_EQ(LoadRegTypeLib(LIBID_RYXLibZAN, 1, 0, LOCALE_NEUTRAL, &library),
            S_OK);
  BSTR name = nullptr;
  ASSERT_EQ(library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_STREQ(name, L"RYXLibZAN");
  SysFreeString(name);
  ITypeInfo* coclass = nullptr;
  ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_RYXToolBarObjZAN, &coclass), S_OK);
  coclass->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
  EXPECT_STREQ(name, L"RYXToolBarObjZAN");
  SysFreeString(name);
  coclass->Release();
  ITypeInfo* interface_info = nullptr;
  ASSERT_EQ(library->GetTypeInfoOfGuid(IID_IRYXToolBarObjZAN, &interface_info),
            S_OK);
  TYPEATTR* attributes = nullptr;
  interface_info->GetTypeAttr(&attributes);
  EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
  interface_info->ReleaseTypeAttr(attributes);
  interface_info->Release();
  library->Release();

  // The browser's and the system's entries.
  HKEY toolbars = nullptr;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, kToolbarKey, 0, KEY_READ, &toolbars),
      ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = 100;
  BYTE data[100];
  EXPECT_EQ(RegQueryValueExA(toolbars, ToolbarClassId().c_str(), nullptr, &type,
                             data, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(size, 0u);
  RegCloseKey(toolbars);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE,
                        "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer "
                        "Bars\\" +
                            ToolbarClassId()));
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"),
            "ZAN Inc. - Toolbar");
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
            "regsvr32 /u /s \"" + dll + "\" ");
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kRunOnceKey, remove_value), "<none>");
  EXPECT_EQ(ReadLocked(), 1u);
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kProductKey, "ToolBarUpdateFlag"), "0");

  ASSERT_EQ(Regsvr32(true), 0);
  for (const std::string& key :
       {std::string("RYX.ZAN.1"), std::string("RYX.ZAN"), kClassKey,
        kTypeLibKey, std::string(kInterfaceKey)}) {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
  }
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kToolbarKey, ToolbarClassId()),
            "<none>");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE,
                         "SOFTWARE\\Microsoft\\Internet Explorer\\Explorer "
                         "Bars\\" +
                             ToolbarClassId()));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"),
            "<none>");
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
            "<none>");
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kRunOnceKey, remove_value),
            "rundll32.exe advpack.dll,DelNodeRunDLL32 \"" + dll + "\"");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "SOFTWARE\\ZAN Inc."));
  EXPECT_EQ(ReadLocked(), 1u);
  // No class left to create.
  CLSID class_id;
  EXPECT_NE(CLSIDFromProgID(L"RYX.ZAN", &class_id), S_OK);
}

}  // namespace
}  // namespace zan::test
