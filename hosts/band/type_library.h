#ifndef ZAN_HOSTS_BAND_TYPE_LIBRARY_H_
#define ZAN_HOSTS_BAND_TYPE_LIBRARY_H_

#include <windows.h>

#include <string>

namespace zan {

// The type library that the DLL carries as its resource 1.
// Registers it from the module file at `module_path`.
HRESULT RegisterModuleTypeLibrary(const std::string& module_path);
// Removes its registration; S_OK also when it was not registered.
HRESULT UnregisterModuleTypeLibrary();
// The type information of the interface `iid` from the module's own type
// library (no registration needed); the caller releases it. Null on failure.
ITypeInfo* LoadModuleTypeInfo(REFIID iid);

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_TYPE_LIBRARY_H_
