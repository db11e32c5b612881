#ifndef ZAN_HOSTS_QT_PANE_LOAD_GATE_H_
#define ZAN_HOSTS_QT_PANE_LOAD_GATE_H_

#include <functional>
#include <utility>
#include <vector>

namespace zan {

// Lets the web-page panes of a toolbar wait with their loads while the
// window's first page loads, so that the two do not share the web engine's
// processes at start-up. Loads asked for meanwhile run, in order, once the
// gate opens.
class PaneLoadGate {
 public:
  void Hold() { held_ = true; }
  // Runs `load` now, or when the gate opens.
  void Run(std::function<void()> load) {
    if (held_) {
      waiting_.push_back(std::move(load));
    } else {
      load();
    }
  }
  void Open() {
    held_ = false;
    std::vector<std::function<void()>> waiting;
    waiting.swap(waiting_);
    for (auto& load : waiting) load();
  }

 private:
  bool held_ = false;
  std::vector<std::function<void()>> waiting_;
};

}  // namespace zan

#endif  // ZAN_HOSTS_QT_PANE_LOAD_GATE_H_
