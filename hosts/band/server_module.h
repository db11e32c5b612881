#ifndef ZAN_HOSTS_BAND_SERVER_MODULE_H_
#define ZAN_HOSTS_BAND_SERVER_MODULE_H_

#include <windows.h>

#include <atomic>
#include <string>

namespace zan {

// The DLL as a COM server: its instance handle, its own file, and the count
// of live objects and server locks that decides whether it may be unloaded.
class ServerModule {
 public:
  static ServerModule& Instance();

  void SetInstance(HINSTANCE instance) { instance_ = instance; }
  HINSTANCE instance() const { return instance_; }
  // The full path of the DLL file, as the system loaded it.
  std::string Path() const;

  void AddObject() { ++objects_; }
  void ReleaseObject() { --objects_; }
  void Lock(bool lock) { lock ? ++locks_ : --locks_; }
  long objects() const { return objects_; }
  // No object and no lock is alive.
  bool CanUnload() const { return objects_ == 0 && locks_ == 0; }

 private:
  HINSTANCE instance_ = nullptr;
  std::atomic<long> objects_{0};
  std::atomic<long> locks_{0};
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_SERVER_MODULE_H_
