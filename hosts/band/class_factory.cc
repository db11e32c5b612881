#include "hosts/band/class_factory.h"

#include "hosts/band/server_module.h"
#include "hosts/band/toolbar_band_object.h"

namespace zan {

// A factory counts as a live object while a client holds it.
ClassFactory::ClassFactory() { ServerModule::Instance().AddObject(); }
ClassFactory::~ClassFactory() { ServerModule::Instance().ReleaseObject(); }

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
    return E_NOINTERFACE;
  }
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG ClassFactory::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG ClassFactory::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid,
                                     void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  auto* band = new (std::nothrow) ToolbarBandObject();
  if (band == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = band->QueryInterface(iid, object);
  band->Release();
  return result;
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  ServerModule::Instance().Lock(lock != FALSE);
  return S_OK;
}

}  // namespace zan
