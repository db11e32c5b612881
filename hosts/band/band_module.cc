#include "hosts/band/band_module.h"

namespace zan {

HINSTANCE BandModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&BandModule), &module);
  return module;
}

WNDPROC RegisterSuperclass(const char* system_class, const char* own_class,
                           WNDPROC procedure) {
  WNDCLASSEXA system{};
  system.cbSize = sizeof(system);
  if (!GetClassInfoExA(nullptr, system_class, &system)) return nullptr;
  const WNDPROC system_procedure = system.lpfnWndProc;
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExA(BandModule(), own_class, &existing)) {
    return system_procedure;
  }
  if (procedure != nullptr) system.lpfnWndProc = procedure;
  system.hInstance = BandModule();
  system.lpszClassName = own_class;
  system.style &= ~CS_GLOBALCLASS;
  return RegisterClassExA(&system) != 0 ? system_procedure : nullptr;
}

}  // namespace zan
