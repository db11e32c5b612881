#include "hosts/band/search_box_drop_target.h"

#include <string_view>

#include "hosts/band/com_text.h"

namespace zan {
namespace {

FORMATETC TextFormat(CLIPFORMAT format) {
  return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool OffersText(IDataObject* data) {
  if (data == nullptr) return false;
  for (CLIPFORMAT format : {CF_TEXT, CF_UNICODETEXT}) {
    FORMATETC wanted = TextFormat(format);
    if (data->QueryGetData(&wanted) == S_OK) return true;
  }
  return false;
}

// The characters of a global memory block up to its first zero, never
// past its end: the block comes from another program.
template <typename Char>
std::basic_string<Char> TextOfBlock(HGLOBAL block) {
  std::basic_string<Char> text;
  const auto* chars = static_cast<const Char*>(GlobalLock(block));
  if (chars == nullptr) return text;
  const size_t limit = GlobalSize(block) / sizeof(Char);
  size_t length = 0;
  while (length < limit && chars[length] != 0) ++length;
  text.assign(chars, length);
  GlobalUnlock(block);
  return text;
}

// A search box holds one line: the words of every dropped line are kept,
// each line break becomes one blank.
std::string OneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    line.push_back(text[i] == '\r' || text[i] == '\n' ? ' ' : text[i]);
  }
  return line;
}

}  // namespace

bool SearchBoxDropTarget::ReadText(IDataObject* data, std::string& text) {
  if (data == nullptr) return false;
  for (CLIPFORMAT format : {CF_TEXT, CF_UNICODETEXT}) {
    FORMATETC wanted = TextFormat(format);
    STGMEDIUM medium{};
    if (data->GetData(&wanted, &medium) != S_OK) continue;
    bool found = false;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
      if (format == CF_TEXT) {
        text = OneLine(TextOfBlock<char>(medium.hGlobal));
      } else {
        const std::wstring wide = TextOfBlock<wchar_t>(medium.hGlobal);
        text = OneLine(AnsiFromWide(wide.data(), wide.size()));
      }
      found = true;
    }
    ReleaseStgMedium(&medium);
    if (found) return true;
  }
  return false;
}

SearchBoxDropTarget::~SearchBoxDropTarget() { Detach(); }

void SearchBoxDropTarget::Detach() {
  drop_ = nullptr;
  DragLeave();
}

HRESULT SearchBoxDropTarget::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG SearchBoxDropTarget::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG SearchBoxDropTarget::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT SearchBoxDropTarget::DragEnter(IDataObject* data, DWORD, POINTL,
                                       DWORD* effect) {
  DragLeave();
  if (drop_ && OffersText(data)) {
    held_ = data;
    held_->AddRef();
  }
  return DragOver(0, POINTL{}, effect);
}

HRESULT SearchBoxDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  *effect = held_ != nullptr ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT SearchBoxDropTarget::DragLeave() {
  if (held_ != nullptr) {
    held_->Release();
    held_ = nullptr;
  }
  return S_OK;
}

HRESULT SearchBoxDropTarget::Drop(IDataObject* data, DWORD, POINTL,
                                  DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  if (held_ == nullptr) {
    *effect = DROPEFFECT_NONE;
    return E_FAIL;
  }
  DragLeave();
  *effect = DROPEFFECT_COPY;
  std::string text;
  if (!ReadText(data, text)) return S_OK;
  // The search may take the box and this target's owner away: the call
  // runs on a copy, with this object kept alive.
  std::function<void(const std::string&)> drop = drop_;
  AddRef();
  if (drop) drop(text);
  Release();
  return S_OK;
}

}  // namespace zan
