// The entry points of ZAN.dll: the system loads it, COM asks it for its
// class factory and whether it may be unloaded, regsvr32 registers and
// unregisters it.

// windows.h comes first: the COM headers need it.
// clang-format off
#include <windows.h>
#include <objbase.h>
#include <olectl.h>
// clang-format on

#include <new>

#include "hosts/band/class_factory.h"
#include "hosts/band/common_controls_toolbar_view.h"
#include "hosts/band/server_module.h"
#include "hosts/band/type_library.h"
#include "hosts/band/web_browser_window.h"
#include "hosts/band/zan_idl.h"
#include "platform/win32/win32_registry.h"
#include "settings/toolbar_registration.h"

namespace {

// COM on the calling thread for the length of a registration call, when
// the caller has not started it.
class ComScope {
 public:
  ComScope()
      : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
  }
  ~ComScope() {
    if (started_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool started_;
};

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    zan::ServerModule::Instance().SetInstance(instance);
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    // The window classes name procedures of this module: they go with it.
    for (const char* name : {zan::kToolbarClass, "RYXToolBarReflectorWindow",
                             "MSHTML_Toolbar_Page"}) {
      UnregisterClassA(name, instance);
    }
  }
  return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID class_id, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(class_id, CLSID_RYXToolBarObjZAN)) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  auto* factory = new (std::nothrow) zan::ClassFactory();
  if (factory == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = factory->QueryInterface(iid, object);
  factory->Release();
  return result;
}

HRESULT WINAPI DllCanUnloadNow() {
  return zan::ServerModule::Instance().CanUnload() ? S_OK : S_FALSE;
}

// The class entries and the type library, then the browser and system
// entries (with a browser window on the product site when one can be
// opened), then the class entries and the type library once more, whose
// result is the answer.
HRESULT WINAPI DllRegisterServer() {
  ComScope com;
  const std::string path = zan::ServerModule::Instance().Path();
  zan::Win32Registry registry;
  zan::SystemBrowserFactory browsers;
  zan::ToolbarRegistration registration(registry, &browsers, path);
  zan::RegisterModuleTypeLibrary(path);
  const bool classes = registration.RegisterServer();
  const HRESULT library = zan::RegisterModuleTypeLibrary(path);
  if (FAILED(library)) return library;
  return classes ? S_OK : SELFREG_E_CLASS;
}

// The browser and system entries, the settings and the downloaded files go
// first, then the class entries and the type library.
HRESULT WINAPI DllUnregisterServer() {
  ComScope com;
  const std::string path = zan::ServerModule::Instance().Path();
  zan::Win32Registry registry;
  zan::SystemBrowserFactory browsers;
  zan::ToolbarRegistration registration(registry, &browsers, path);
  const bool classes = registration.UnregisterServer();
  const HRESULT library = zan::UnregisterModuleTypeLibrary();
  if (FAILED(library)) return library;
  return classes ? S_OK : SELFREG_E_CLASS;
}

}  // extern "C"
