#include "commands/client_side_property.h"

#include <charconv>
#include <cmath>

#include "platform/registry.h"
#include "settings/settings_store.h"

namespace zan {
namespace {

template <typename Number>
std::string NumberText(Number value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return std::string(buffer, result.ptr);
}

std::string DoubleText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  // Whole numbers that an int64_t holds exactly print without a fraction.
  if (value == std::trunc(value) && std::fabs(value) < 9.0e15) {
    return NumberText(static_cast<int64_t>(value));
  }
  return NumberText(value);
}

}  // namespace

std::optional<std::string> PropertyArgumentText(const PropertyArgument& arg) {
  struct Visitor {
    std::optional<std::string> operator()(std::monostate) const { return ""; }
    std::optional<std::string> operator()(std::nullptr_t) const {
      return std::nullopt;
    }
    std::optional<std::string> operator()(bool value) const {
      return value ? "True" : "False";
    }
    std::optional<std::string> operator()(int64_t value) const {
      return NumberText(value);
    }
    std::optional<std::string> operator()(uint64_t value) const {
      return NumberText(value);
    }
    std::optional<std::string> operator()(double value) const {
      return DoubleText(value);
    }
    std::optional<std::string> operator()(const std::string& value) const {
      return value;
    }
  };
  return std::visit(Visitor{}, arg);
}

bool SetClientSideProperty(const SettingsStore& settings,
                           const PropertyArgument& name,
                           const PropertyArgument& value) {
  const std::optional<std::string> name_text = PropertyArgumentText(name);
  const std::optional<std::string> value_text = PropertyArgumentText(value);
  if (!name_text || !value_text) return false;
  if (name_text->empty()) return true;
  // A name the store cannot hold (a zero byte in it, too long) is refused
  // here, so the page learns that nothing was kept.
  const std::string value_name = "CSP_" + *name_text;
  if (!IsStorableValueName(value_name)) return false;
  settings.SetString(value_name, *value_text);
  return true;
}

}  // namespace zan
