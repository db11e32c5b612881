#include "tests/band/band_test_util.h"

// clang-format off
#include <commctrl.h>
// clang-format on
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
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

std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string BandDllPath() { return WindowsPath(ZAN_BAND_DLL); }

std::string FileUrl(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return "file:///" + path;
}

std::string TempFolder(const std::string& name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::string SourceSiteFolder() {
  const char* source = std::getenv("ZAN_SOURCE_DIR");
  return WindowsPath(source != nullptr ? source : "") + "\\site\\toolbar";
}

std::string SourceSiteUrl() { return FileUrl(SourceSiteFolder() + "\\"); }

bool CopyToolbarImages(const std::string& folder) {
  for (const char* name : {"tbil.bmp", "tbhotil.bmp"}) {
    if (!CopyFileA((SourceSiteFolder() + "\\" + name).c_str(),
                   (folder + "\\" + name).c_str(), FALSE)) {
      return false;
    }
  }
  return true;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out.flush());
}

void UseToolbarFolders(const std::string& home, const std::string& site_url) {
  _putenv_s("ZAN_HOME", home.c_str());
  _putenv_s("ZAN_SITE_URL", site_url.c_str());
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

void SetSetting(const char* name, DWORD value) {
  RegSetKeyValueA(HKEY_CURRENT_USER, kProductKey, name, REG_DWORD, &value,
                  sizeof(value));
}

void SetTextSetting(const char* name, const char* text) {
  RegSetKeyValueA(HKEY_CURRENT_USER, kProductKey, name, REG_SZ, text,
                  static_cast<DWORD>(std::strlen(text) + 1));
}

void ForgetSetting(const char* name) {
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kProductKey, name);
}

HWND CreateBrowserWindow() {
  HWND window = CreateWindowExA(0, "STATIC", "browser", WS_OVERLAPPEDWINDOW, 0,
                                0, 900, 40, nullptr, nullptr, nullptr, nullptr);
  if (window != nullptr) ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

int FindButton(HWND toolbar, const std::string& caption) {
  const auto count =
      static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  for (int id = 0x400; id < 0x400 + count; ++id) {
    char text[100] = {};
    SendMessageA(toolbar, TB_GETBUTTONTEXTA, id,
                 reinterpret_cast<LPARAM>(text));
    if (caption == text) return id;
  }
  return 0;
}

void ClickButton(HWND toolbar, int id) {
  SendMessageA(GetParent(toolbar), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(toolbar));
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    DispatchMessageA(&message);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    PumpMessages();
    if (done()) return true;
    if (GetTickCount() - start > timeout_ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

HWND WaitForWindow(const char* class_name, const char* caption, DWORD thread,
                   DWORD timeout_ms) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 25) {
    HWND window = FindWindowA(class_name, caption);
    if (window != nullptr && IsWindowVisible(window) &&
        GetWindowThreadProcessId(window, nullptr) == thread) {
      return window;
    }
    Sleep(25);
  }
  return nullptr;
}

}  // namespace zan::test
