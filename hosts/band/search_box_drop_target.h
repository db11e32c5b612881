#ifndef ZAN_HOSTS_BAND_SEARCH_BOX_DROP_TARGET_H_
#define ZAN_HOSTS_BAND_SEARCH_BOX_DROP_TARGET_H_

#include <windows.h>
// clang-format off
#include <ole2.h>
// clang-format on

#include <functional>
#include <string>

namespace zan {

// The drop target of a search box window: it takes text (CF_TEXT, or
// CF_UNICODETEXT in the system's ANSI code page) and hands it on. OLE keeps
// its own references while the window is registered and may still call it
// after the box is gone, so the box detaches it when it goes; a detached
// target refuses every drop.
class SearchBoxDropTarget final : public IDropTarget {
 public:
  explicit SearchBoxDropTarget(std::function<void(const std::string&)> drop)
      : drop_(std::move(drop)) {}
  SearchBoxDropTarget(const SearchBoxDropTarget&) = delete;
  SearchBoxDropTarget& operator=(const SearchBoxDropTarget&) = delete;

  // Nothing reaches the box any more; the held data object is let go.
  void Detach();

  // The text a data object holds, as one line of ANSI text (line breaks
  // become blanks); false when it holds no text.
  static bool ReadText(IDataObject* data, std::string& text);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys,
                                      POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point,
                                     DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                 DWORD* effect) override;

 private:
  ~SearchBoxDropTarget();

  LONG references_ = 1;
  std::function<void(const std::string&)> drop_;
  // The object being dragged over the box, between DragEnter and
  // DragLeave or Drop.
  IDataObject* held_ = nullptr;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_SEARCH_BOX_DROP_TARGET_H_
