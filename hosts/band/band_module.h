#ifndef ZAN_HOSTS_BAND_BAND_MODULE_H_
#define ZAN_HOSTS_BAND_BAND_MODULE_H_

#include <windows.h>

namespace zan {

// The module that holds the band's code: ZAN.dll inside the browser, or the
// test program that links the band. Window classes are registered in it.
HINSTANCE BandModule();

// Registers `own_class` in the band's module as a superclass of the system
// window class `system_class`: its looks and extra bytes under the band's
// own name, with `procedure` as the window procedure (null keeps the
// system's). Answers the system class's window procedure, or null when the
// system class is unknown or the registration failed. Registering a class
// that is already there succeeds.
WNDPROC RegisterSuperclass(const char* system_class, const char* own_class,
                           WNDPROC procedure = nullptr);

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_BAND_MODULE_H_
