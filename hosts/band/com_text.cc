#include "hosts/band/com_text.h"

#include <oleauto.h>

namespace zan {

std::wstring WideFromAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(
      CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                      wide.data(), length);
  return wide;
}

std::string AnsiFromWide(const wchar_t* text, size_t length) {
  if (text == nullptr || length == 0) return std::string();
  const int size = WideCharToMultiByte(
      CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), ansi.data(),
                      size, nullptr, nullptr);
  return ansi;
}

std::string AnsiFromBstr(BSTR text) {
  return text == nullptr ? std::string()
                         : AnsiFromWide(text, SysStringLen(text));
}

VARIANT TextVariant(const std::string& text) {
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_BSTR;
  const std::wstring wide = WideFromAnsi(text);
  variant.bstrVal =
      SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return variant;
}

Bstr::Bstr(const std::string& text) {
  const std::wstring wide = WideFromAnsi(text);
  bstr_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

}  // namespace zan
