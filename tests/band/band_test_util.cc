#include "tests/band/band_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zan::test {
namespace {

// Under Wine the system browser cannot show pages, and once registration has
// started it, it stays running and keeps the Wine session (and whoever
// waits for it) alive. The tests take the case of a system where no browser
// can start: Wine is told not to run it.
class NoBrowserUnderWine : public testing::Environment {
 public:
  void SetUp() override {
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") ==
        nullptr) {
      return;
    }
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides",
                    "iexplore.exe", REG_SZ, "", 1);
  }
};

const testing::Environment* const no_browser =
    testing::AddGlobalTestEnvironment(new NoBrowserUnderWine);

}  // namespace

std::string BandDllPath() {
  std::string path = ZAN_BAND_DLL;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

int RunProgram(const std::string& command_line) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return -1;
  }
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

int Regsvr32(bool unregister) {
  return RunProgram(std::string("regsvr32.exe ") + (unregister ? "/u " : "") +
                    "/s \"" + BandDllPath() + "\"");
}

std::string ReadText(HKEY root, const std::string& path,
                     const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return "<none>";
  }
  char data[2048];
  DWORD size = sizeof(data);
  DWORD type = 0;
  const LONG status =
      RegQueryValueExA(key, name.empty() ? nullptr : name.c_str(), nullptr,
                       &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return "<none>";
  std::string text(data, size);
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

}  // namespace zan::test
