#ifndef ZAN_HOSTS_BAND_TOOLBAR_BAND_OBJECT_H_
#define ZAN_HOSTS_BAND_TOOLBAR_BAND_OBJECT_H_

#include <windows.h>

#include "hosts/band/zan_idl.h"

namespace zan {

// The COM object RYXToolBarObjZAN: one per browser window, or one that a
// script creates by its ProgID to store client-side properties.
class ToolbarBandObject : public IRYXToolBarObjZAN {
 public:
  ToolbarBandObject();
  virtual ~ToolbarBandObject();
  ToolbarBandObject(const ToolbarBandObject&) = delete;
  ToolbarBandObject& operator=(const ToolbarBandObject&) = delete;

  // IUnknown:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch, answered from the module's type library:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale,
                                        ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names,
                                          UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale,
                                   WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument_error) override;

  // IRYXToolBarObjZAN: stores "CSP_" + name in the settings. S_OK, also
  // for an empty name (nothing stored); DISP_E_TYPEMISMATCH, storing
  // nothing, when an argument has no text (null, or not convertible).
  HRESULT STDMETHODCALLTYPE SetClientSideProperty(VARIANT name,
                                                  VARIANT value) override;

 private:
  ITypeInfo* TypeInfo();

  LONG references_ = 1;
  ITypeInfo* type_info_ = nullptr;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_TOOLBAR_BAND_OBJECT_H_
