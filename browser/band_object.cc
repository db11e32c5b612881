#include "browser/band_object.h"

#include "browser/command_ids.h"
#include "browser/popup_blocker.h"
#include "browser/toolbar_window.h"

namespace zan {
namespace {

constexpr int kBandHeight = 22;
constexpr int kModeFlags = 0x1A0;  // debossed, chevron, own row

}  // namespace

BandSizeCounter& BandSizeCounter::Instance() {
  static BandSizeCounter counter;
  return counter;
}

BandObject::BandObject(ToolbarWindow& toolbar, const SettingsStore& settings,
                       std::function<bool()> ctrl_down)
    : toolbar_(toolbar),
      settings_(settings),
      ctrl_down_(std::move(ctrl_down)) {}

bool BandObject::BeforeNavigate2(std::optional<std::string_view> target_frame) {
  if (!connected_) return false;
  return zan::BeforeNavigate2(settings_, ctrl_down_ && ctrl_down_(),
                              target_frame);
}

bool BandObject::NewWindow2() {
  if (!connected_) return false;
  return zan::NewWindow2(settings_, ctrl_down_ && ctrl_down_());
}

void BandObject::DownloadComplete(bool has_document) {
  if (connected_ && has_document) {
    toolbar_.OnBrowserEvent(kDispidDownloadComplete);
  }
}

void BandObject::DocumentComplete(bool has_document) {
  if (connected_ && has_document) {
    toolbar_.OnBrowserEvent(kDispidDocumentComplete);
  }
}

void BandObject::NavigateComplete2() {
  if (connected_) toolbar_.OnBrowserEvent(kDispidNavigateComplete2);
}

void BandObject::OnQuit() {
  if (!connected_) return;
  toolbar_.OnQuit();
  connected_ = false;
}

void BandObject::Invoke(int dispid, bool has_document) {
  switch (dispid) {
    case kDispidDownloadComplete:
      DownloadComplete(has_document);
      break;
    case kDispidDocumentComplete:
      DocumentComplete(has_document);
      break;
    case kDispidNavigateComplete2:
      NavigateComplete2();
      break;
    case kDispidOnQuit:
      OnQuit();
      break;
    default:
      break;
  }
}

void BandObject::ShowDW(bool show) {
  BandSizeCounter::Instance().Set(100);
  shown_ = show;
}

BandInfo BandObject::GetBandInfo(int screen_width) {
  BandInfo info;
  BandSizeCounter& counter = BandSizeCounter::Instance();
  int min_width =
      counter.value() < 2 ? screen_width - 20 : toolbar_.MinimumWidth();
  counter.Increment();
  info.min_size = Size{min_width, kBandHeight};
  info.max_size = Size{0, -1};
  info.integral = Size{1, 1};
  info.actual = Size{toolbar_.VisibleWidth(), kBandHeight};
  info.mode_flags = kModeFlags;
  return info;
}

void BandObject::UIActivateIO(bool activate) {
  if (activate) toolbar_.FocusFirstSearchBox();
}

bool BandObject::HasFocusIO() const { return toolbar_.SearchBoxHasFocus(); }

}  // namespace zan
