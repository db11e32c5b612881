#include "mail/mail_indicator.h"

#include "settings/string_utils.h"

namespace zan {
namespace {

int32_t AdditionalImage(const ToolbarIndicator& indicator, int number) {
  return indicator.additional_images[number - 1];
}

// Cuts `text` to at most `limit` bytes, backing off over UTF-8 continuation
// bytes so that no character is split.
void CutText(std::string& text, size_t limit) {
  if (text.size() <= limit) return;
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  text.resize(cut);
}

}  // namespace

std::string NewMessagesHint(const std::string& pattern, uint64_t total) {
  std::string hint = pattern.empty() ? "You have %n new messages" : pattern;
  ReplaceAll(hint, "%n", std::to_string(total));
  CutText(hint, kIndicatorHintBytes - 1);
  return hint;
}

int32_t EvaluateIndicator(ToolbarIndicator& indicator,
                          const MailAccountStore& store) {
  indicator.blinking = false;
  if (indicator.type != "POP3") {
    indicator.evaluated_image = AdditionalImage(indicator, 1);
    return *indicator.evaluated_image;
  }
  uint32_t count = store.AccountCount();
  if (count == 0) {
    indicator.hint = "No POP3 accounts configured";
    indicator.blinking = true;
    indicator.indicator_state = kIndicatorError;
    indicator.evaluated_image = AdditionalImage(indicator, 2);
    return *indicator.evaluated_image;
  }
  bool error = false;
  uint64_t total = 0;
  for (uint32_t n = 1; n <= count; ++n) {
    std::string number = std::to_string(n);
    std::string text = store.ReadError(number);
    if (!text.empty()) {
      error = true;
      indicator.hint = text;
    }
    long messages = ReadInteger(store.ReadStats(number).value_or(""));
    if (messages > 0) total += static_cast<uint64_t>(messages);
  }
  if (error) {
    indicator.blinking = true;
    indicator.indicator_state = kIndicatorError;
    indicator.evaluated_image = AdditionalImage(indicator, 2);
  } else if (total == 0) {
    const std::string& none = indicator.parameters[0];
    indicator.hint = none.empty() ? "You do not have new messages" : none;
    indicator.indicator_state = kIndicatorNoNews;
    indicator.evaluated_image = AdditionalImage(indicator, 1);
  } else {
    indicator.hint = NewMessagesHint(indicator.parameters[2], total);
    indicator.blinking = true;
    indicator.indicator_state = kIndicatorNews;
    indicator.evaluated_image = AdditionalImage(indicator, 3);
  }
  return *indicator.evaluated_image;
}

int32_t BlinkIndicator(ToolbarIndicator& indicator) {
  indicator.indicator_state = -indicator.indicator_state;
  int32_t image = -1;
  if (indicator.indicator_state == kIndicatorNews) {
    image = AdditionalImage(indicator, 3);
  } else if (indicator.indicator_state == kIndicatorError) {
    image = AdditionalImage(indicator, 2);
  }
  indicator.evaluated_image = image;
  return image;
}

}  // namespace zan
