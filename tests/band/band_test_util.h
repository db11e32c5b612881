#ifndef ZAN_TESTS_BAND_BAND_TEST_UTIL_H_
#define ZAN_TESTS_BAND_BAND_TEST_UTIL_H_

#include <windows.h>

#include <string>

namespace zan::test {

// The Windows path of the ZAN.dll under test (Z: is the Unix root in Wine).
std::string BandDllPath();
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

}  // namespace zan::test

#endif  // ZAN_TESTS_BAND_BAND_TEST_UTIL_H_
