#ifndef ZAN_HOSTS_BAND_CLASS_FACTORY_H_
#define ZAN_HOSTS_BAND_CLASS_FACTORY_H_

#include <windows.h>

namespace zan {

// Makes the module's one class, the toolbar band object. Not aggregatable.
class ClassFactory : public IClassFactory {
 public:
  ClassFactory();
  virtual ~ClassFactory();
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                           void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  LONG references_ = 1;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_CLASS_FACTORY_H_
