#include "hosts/band/type_library.h"

#include <oleauto.h>

#include "hosts/band/com_text.h"
#include "hosts/band/server_module.h"
#include "hosts/band/zan_idl.h"

namespace zan {
namespace {

// The type library inside the module, without registering it.
ITypeLib* LoadModuleTypeLibrary(const std::string& module_path) {
  const std::wstring path = WideFromAnsi(module_path);
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library))) {
    return nullptr;
  }
  return library;
}

}  // namespace

HRESULT RegisterModuleTypeLibrary(const std::string& module_path) {
  ITypeLib* library = LoadModuleTypeLibrary(module_path);
  if (library == nullptr) return TYPE_E_CANTLOADLIBRARY;
  std::wstring path = WideFromAnsi(module_path);
  const HRESULT result = RegisterTypeLib(library, path.data(), nullptr);
  library->Release();
  return result;
}

HRESULT UnregisterModuleTypeLibrary() {
  BSTR path = nullptr;
  if (FAILED(QueryPathOfRegTypeLib(LIBID_RYXLibZAN, 1, 0, LOCALE_NEUTRAL,
                                   &path))) {
    return S_OK;
  }
  SysFreeString(path);
  return UnRegisterTypeLib(LIBID_RYXLibZAN, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
}

ITypeInfo* LoadModuleTypeInfo(REFIID iid) {
  ITypeLib* library = LoadModuleTypeLibrary(ServerModule::Instance().Path());
  if (library == nullptr) return nullptr;
  ITypeInfo* info = nullptr;
  if (FAILED(library->GetTypeInfoOfGuid(iid, &info))) info = nullptr;
  library->Release();
  return info;
}

}  // namespace zan
