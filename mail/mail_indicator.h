#ifndef ZAN_MAIL_MAIL_INDICATOR_H_
#define ZAN_MAIL_MAIL_INDICATOR_H_

#include <cstdint>
#include <string>

#include "definition/toolbar_item.h"
#include "mail/mail_account_store.h"

namespace zan {

// Indicator states: no message waiting, messages waiting, error or no
// account. While blinked off the state is negated.
inline constexpr int32_t kIndicatorNoNews = 0;
inline constexpr int32_t kIndicatorNews = 1;
inline constexpr int32_t kIndicatorError = 2;

// The hint of an indicator is formed in a buffer of this size.
inline constexpr size_t kIndicatorHintBytes = 300;

// Turns the stored results of all accounts into what the indicator shows:
// sets its hint, blink flag, state and evaluated image, and returns that
// image. Only the type "POP3" is evaluated; any other type shows "addimg1"
// and never blinks.
int32_t EvaluateIndicator(ToolbarIndicator& indicator,
                          const MailAccountStore& store);

// One blink step: negates the state and returns the image to show
// ("addimg3" for news, "addimg2" for an error, -1 while blinked off).
int32_t BlinkIndicator(ToolbarIndicator& indicator);

// The "messages waiting" hint: `pattern` (or the default text when it is
// empty) with every "%n" replaced by `total`, cut to fit the hint buffer
// without splitting a multi-byte character.
std::string NewMessagesHint(const std::string& pattern, uint64_t total);

}  // namespace zan

#endif  // ZAN_MAIL_MAIL_INDICATOR_H_
