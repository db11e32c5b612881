#ifndef ZAN_HOSTS_BAND_COM_TEXT_H_
#define ZAN_HOSTS_BAND_COM_TEXT_H_

#include <windows.h>
// clang-format off
#include <oleauto.h>
// clang-format on

#include <string>

namespace zan {

// Conversions between the toolbar's 8-bit texts (the system code page) and
// the wide texts of COM.
std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const wchar_t* text, size_t length);
// A BSTR as ANSI; a null BSTR is the empty text.
std::string AnsiFromBstr(BSTR text);
// A VT_BSTR VARIANT holding `text`; the caller clears it.
VARIANT TextVariant(const std::string& text);

// An owned BSTR, freed when it goes.
class Bstr {
 public:
  explicit Bstr(const std::string& text);
  ~Bstr() { SysFreeString(bstr_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return bstr_; }

 private:
  BSTR bstr_;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_COM_TEXT_H_
