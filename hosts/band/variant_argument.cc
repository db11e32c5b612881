#include "hosts/band/variant_argument.h"

#include <oleauto.h>

#include "hosts/band/com_text.h"

namespace zan {

std::optional<PropertyArgument> ArgumentFromVariant(const VARIANT& value) {
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantCopyInd(&copy, const_cast<VARIANT*>(&value))))
    return std::nullopt;
  std::optional<PropertyArgument> result;
  switch (copy.vt) {
    case VT_EMPTY:
      result = std::monostate{};
      break;
    case VT_NULL:
      result = nullptr;
      break;
    case VT_BOOL:
      result = copy.boolVal != VARIANT_FALSE;
      break;
    case VT_I1:
      result = static_cast<int64_t>(copy.cVal);
      break;
    case VT_I2:
      result = static_cast<int64_t>(copy.iVal);
      break;
    case VT_I4:
    case VT_INT:
      result = static_cast<int64_t>(copy.lVal);
      break;
    case VT_I8:
      result = static_cast<int64_t>(copy.llVal);
      break;
    case VT_UI1:
      result = static_cast<uint64_t>(copy.bVal);
      break;
    case VT_UI2:
      result = static_cast<uint64_t>(copy.uiVal);
      break;
    case VT_UI4:
    case VT_UINT:
      result = static_cast<uint64_t>(copy.ulVal);
      break;
    case VT_UI8:
      result = static_cast<uint64_t>(copy.ullVal);
      break;
    case VT_R4:
      result = static_cast<double>(copy.fltVal);
      break;
    case VT_R8:
      result = copy.dblVal;
      break;
    case VT_BSTR:
      result = AnsiFromBstr(copy.bstrVal);
      break;
    default:
      if (SUCCEEDED(VariantChangeType(&copy, &copy, 0, VT_BSTR))) {
        result = AnsiFromBstr(copy.bstrVal);
      }
      break;
  }
  VariantClear(&copy);
  return result;
}

}  // namespace zan
