#include "hosts/band/toolbar_band_object.h"

#include "commands/client_side_property.h"
#include "hosts/band/server_module.h"
#include "hosts/band/type_library.h"
#include "hosts/band/variant_argument.h"
#include "platform/win32/win32_registry.h"
#include "settings/settings_store.h"

namespace zan {

ToolbarBandObject::ToolbarBandObject() { ServerModule::Instance().AddObject(); }

ToolbarBandObject::~ToolbarBandObject() {
  if (type_info_ != nullptr) type_info_->Release();
  ServerModule::Instance().ReleaseObject();
}

HRESULT ToolbarBandObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
      IsEqualIID(iid, IID_IRYXToolBarObjZAN)) {
    *object = static_cast<IRYXToolBarObjZAN*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG ToolbarBandObject::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG ToolbarBandObject::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

ITypeInfo* ToolbarBandObject::TypeInfo() {
  if (type_info_ == nullptr) {
    type_info_ = LoadModuleTypeInfo(IID_IRYXToolBarObjZAN);
  }
  return type_info_;
}

HRESULT ToolbarBandObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = TypeInfo() != nullptr ? 1 : 0;
  return S_OK;
}

HRESULT ToolbarBandObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  if (TypeInfo() == nullptr) return TYPE_E_CANTLOADLIBRARY;
  type_info_->AddRef();
  *info = type_info_;
  return S_OK;
}

HRESULT ToolbarBandObject::GetIDsOfNames(REFIID iid, LPOLESTR* names,
                                         UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (TypeInfo() == nullptr) return TYPE_E_CANTLOADLIBRARY;
  return DispGetIDsOfNames(type_info_, names, count, ids);
}

HRESULT ToolbarBandObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags,
                                  DISPPARAMS* parameters, VARIANT* result,
                                  EXCEPINFO* exception, UINT* argument_error) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (TypeInfo() == nullptr) return TYPE_E_CANTLOADLIBRARY;
  return DispInvoke(static_cast<IRYXToolBarObjZAN*>(this), type_info_, id,
                    flags, parameters, result, exception, argument_error);
}

HRESULT ToolbarBandObject::SetClientSideProperty(VARIANT name, VARIANT value) {
  const std::optional<PropertyArgument> name_argument =
      ArgumentFromVariant(name);
  const std::optional<PropertyArgument> value_argument =
      ArgumentFromVariant(value);
  if (!name_argument || !value_argument) return DISP_E_TYPEMISMATCH;
  Win32Registry registry;
  SettingsStore settings(registry);
  return zan::SetClientSideProperty(settings, *name_argument, *value_argument)
             ? S_OK
             : DISP_E_TYPEMISMATCH;
}

}  // namespace zan
