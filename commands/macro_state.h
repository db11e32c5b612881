#ifndef ZAN_COMMANDS_MACRO_STATE_H_
#define ZAN_COMMANDS_MACRO_STATE_H_

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace zan {

// The last text of every search box, by COMBO name, shared by all toolbars
// of the process. Every GOTOURL expansion records each box's value here; a
// history box that is created again shows the recorded text.
class LastComboValues {
 public:
  // The process-wide table.
  static LastComboValues& Instance();

  void Set(const std::string& combo_name, const std::string& value);
  std::optional<std::string> Get(const std::string& combo_name) const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::string> values_;
};

// The URL-encoded address of the page that a GOTOURL expansion last found in
// its browser, shared by all toolbars of the process; empty at start.
class LastPageUrl {
 public:
  static LastPageUrl& Instance();

  std::string Get() const;
  void Set(const std::string& encoded_url);

 private:
  mutable std::mutex mutex_;
  std::string value_;
};

// Where "%rndhex" digits come from. Next() gives a non-negative number; the
// expansion uses it modulo 16.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual int Next() = 0;
};

// The standard library's generator, never seeded by the toolbar.
class StdRandomSource : public RandomSource {
 public:
  int Next() override;
};

}  // namespace zan

#endif  // ZAN_COMMANDS_MACRO_STATE_H_
