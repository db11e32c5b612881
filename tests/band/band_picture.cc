// Shows the band as a browser window would: a frame window with the
// toolbar across its top and the drop-down menu of its first button open,
// for a picture of the screen. The menu closes after the number of
// seconds given as the first argument (default 10).
//   band_picture.exe [seconds]
// ZAN.dll must be registered; ZAN_HOME and ZAN_SITE_URL as for the tests.
#include <windows.h>
// clang-format off
#include <commctrl.h>
#include <shobjidl.h>
// clang-format on

#include <cstdlib>

#include "tests/band/fake_browser_site.h"
#include "tests/band/sited_band.h"

namespace {

DWORD WINAPI CloseMenuLater(void* parameter) {
  Sleep(static_cast<DWORD>(reinterpret_cast<INT_PTR>(parameter)) * 1000);
  HWND menu = FindWindowA("#32768", nullptr);
  if (menu != nullptr) PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HWND frame = CreateWindowExA(0, "STATIC", "ZAN Toolbar band under Wine",
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 980,
                               420, nullptr, nullptr, nullptr, nullptr);
  HWND rebar = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0,
                               960, 44, frame, nullptr, nullptr, nullptr);
  zan::test::FakeWebBrowser browser;
  zan::test::SitedBand band(rebar, &browser);
  if (band.status() != S_OK) return 1;
  IDeskBand* desk_band = band.As<IDeskBand>(IID_IDeskBand);
  desk_band->ShowDW(TRUE);
  HWND toolbar = band.toolbar();
  UpdateWindow(frame);
  MSG message;
  const DWORD until = GetTickCount() + 1500;
  while (GetTickCount() < until) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageA(&message);
    }
    Sleep(20);
  }
  CloseHandle(CreateThread(
      nullptr, 0, &CloseMenuLater,
      reinterpret_cast<void*>(static_cast<INT_PTR>(seconds)), 0, nullptr));
  // A click on the first button's arrow opens its menu.
  RECT rect{};
  SendMessageA(toolbar, TB_GETRECT, 0x400, reinterpret_cast<LPARAM>(&rect));
  const LPARAM arrow = MAKELPARAM(rect.right - 4, (rect.top + rect.bottom) / 2);
  SendMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, arrow);
  SendMessageA(toolbar, WM_LBUTTONUP, 0, arrow);
  desk_band->Release();
  band.Close();
  DestroyWindow(frame);
  CoUninitialize();
  return 0;
}
