#ifndef ZAN_TESTS_BAND_BAND_TEST_UTIL_H_
#define ZAN_TESTS_BAND_BAND_TEST_UTIL_H_

#include <windows.h>

#include <functional>
#include <string>

namespace zan::test {

// The product's settings under HKEY_CURRENT_USER.
inline constexpr char kProductKey[] = "SOFTWARE\\ZAN Inc.\\ZAN";

// A Unix path as Windows programs under Wine name it (Z: is the Unix root);
// a Windows path as it is.
std::string WindowsPath(std::string path);
// The Windows path of the ZAN.dll under test.
std::string BandDllPath();
// The file:// URL of a Windows path.
std::string FileUrl(std::string path);
// The folder `name` in the temp folder, made when missing.
std::string TempFolder(const std::string& name);
// The product site of the source tree, as a folder and as a URL ending in
// "/".
std::string SourceSiteFolder();
std::string SourceSiteUrl();
// Copies the toolbar's image strips of the product site into `folder`.
bool CopyToolbarImages(const std::string& folder);
bool WriteFile(const std::string& path, const std::string& bytes);
// Where the band finds its files: ZAN_HOME and ZAN_SITE_URL.
void UseToolbarFolders(const std::string& home, const std::string& site_url);

// Runs `command_line` and waits for it (at most two minutes); its exit
// code, or -1 when it could not start or did not end.
int RunProgram(const std::string& command_line);
// regsvr32 /s (with "/u" first when `unregister`) on the DLL under test.
int Regsvr32(bool unregister);

// A text value of a key, without its terminating zero; "<none>" when the
// key or the value is missing.
std::string ReadText(HKEY root, const std::string& path,
                     const std::string& name);
bool KeyExists(HKEY root, const std::string& path);
// Values of the product's settings, as the options pages store them.
void SetSetting(const char* name, DWORD value);
void SetTextSetting(const char* name, const char* text);
void ForgetSetting(const char* name);

// A shown top-level window that plays the browser's frame.
HWND CreateBrowserWindow();
std::string ClassOf(HWND window);
std::string TextOf(HWND window);
// The identifier of the toolbar's button with that text, or 0.
int FindButton(HWND toolbar, const std::string& caption);
// A click on button `id`, as the toolbar tells its parent window, which
// reflects it back.
void ClickButton(HWND toolbar, int id);
// Runs the thread's waiting messages, as the browser's loop would.
void PumpMessages();
// Runs the thread's messages until `done` holds or `timeout_ms` passed.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms);
// Waits for a visible top-level window of `class_name` (and `caption`, when
// not null) that belongs to `thread`; null after `timeout_ms`.
HWND WaitForWindow(const char* class_name, const char* caption, DWORD thread,
                   DWORD timeout_ms);

}  // namespace zan::test

#endif  // ZAN_TESTS_BAND_BAND_TEST_UTIL_H_
