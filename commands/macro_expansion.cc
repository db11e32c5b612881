#include "commands/macro_expansion.h"

#include <climits>
#include <set>
#include <string_view>

#include "commands/macro_state.h"
#include "mail/mail_account_store.h"
#include "platform/html_document.h"
#include "platform/registry.h"
#include "settings/settings_store.h"
#include "settings/string_utils.h"

namespace zan {
namespace {

// "%rndhex" counts above this (read unsigned) give kRandomHexFallback digits.
constexpr unsigned kRandomHexMaxCount = 51;
constexpr unsigned kRandomHexFallback = 50;

size_t CountOccurrences(const std::string& text, const std::string& pattern) {
  size_t count = 0;
  for (size_t at = text.find(pattern); at != std::string::npos;
       at = text.find(pattern, at + pattern.size())) {
    ++count;
  }
  return count;
}

// True when a replacement could complete a new occurrence together with the
// bytes after it: some proper tail of `value` is a head of `pattern`.
bool CanChain(const std::string& pattern, const std::string& value) {
  for (size_t len = 1; len < pattern.size() && len <= value.size(); ++len) {
    if (value.compare(value.size() - len, len, pattern, 0, len) == 0) {
      return true;
    }
  }
  return false;
}

// ReplaceAll (or its keep-the-macro form) that refuses to grow `text` beyond
// kMaxExpandedLength; the refused macro stays in the text.
bool ReplaceAllBounded(std::string& text, const std::string& pattern,
                       const std::string& value, bool keep_when_empty) {
  if (keep_when_empty && value.empty()) return false;
  if (value.size() > pattern.size()) {
    const size_t count = CountOccurrences(text, pattern);
    if (count == 0) return false;
    const size_t growth = value.size() - pattern.size();
    // A chain replaces at most one more occurrence per byte of the text.
    const size_t worst =
        count + (CanChain(pattern, value) ? text.size() : size_t{0});
    if (text.size() >= kMaxExpandedLength ||
        worst > (kMaxExpandedLength - text.size()) / growth) {
      return false;
    }
  }
  return keep_when_empty ? ReplaceAllUnlessEmpty(text, pattern, value)
                         : ReplaceAll(text, pattern, value);
}

bool ReplaceFirstBounded(std::string& text, const std::string& pattern,
                         const std::string& value, bool keep_when_empty) {
  if (keep_when_empty && value.empty()) return false;
  if (value.size() > pattern.size() &&
      text.size() + (value.size() - pattern.size()) > kMaxExpandedLength) {
    return false;
  }
  return ReplaceFirst(text, pattern, value);
}

void ExpandMailMacros(const SettingsStore& settings, std::string& post) {
  if (post.find("%POP3") == std::string::npos) return;
  // An unusable store leaves the macros as they are.
  if (!settings.IsUsable()) return;
  const MailAccountStore accounts(settings);
  ExpandParenthesisedMacro(post, "%POP3Server(", [&](const std::string& n) {
    return accounts.ReadServer(n).value_or("");
  });
  ExpandParenthesisedMacro(post, "%POP3Account(", [&](const std::string& n) {
    return accounts.ReadUser(n).value_or("");
  });
  ExpandParenthesisedMacro(post, "%POP3Password(", [&](const std::string& n) {
    std::string password = accounts.ReadPassword(n).value_or("");
    return password.substr(0, password.find('\0'));
  });
}

std::function<std::string(const std::string&)> PropertyLookup(
    const SettingsStore& settings) {
  return [&settings](const std::string& name) {
    return settings.GetString("CSP_" + name, "");
  };
}

}  // namespace

void ExpandParenthesisedMacro(
    std::string& text, const std::string& opener,
    const std::function<std::string(const std::string&)>& lookup) {
  if (text.find(opener) == std::string::npos) return;
  std::vector<std::pair<std::string, std::string>> known;  // macro, value
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  while (true) {
    const size_t at = text.find(opener, from);
    const size_t argument_start = at + opener.size();
    const size_t close = at == std::string::npos
                             ? std::string::npos
                             : text.find(')', argument_start);
    if (close == std::string::npos) break;  // no later opener closes either
    out.append(text, from, argument_start - from);
    if (close == argument_start) {  // empty argument: stays as written
      from = argument_start;
      continue;
    }
    const std::string macro = text.substr(at, close + 1 - at);
    const std::string* value = nullptr;
    for (const auto& [known_macro, known_value] : known) {
      if (known_macro == macro) value = &known_value;
    }
    if (value == nullptr) {
      known.emplace_back(
          macro, lookup(text.substr(argument_start, close - argument_start)));
      value = &known.back().second;
    }
    out.resize(out.size() - opener.size());
    if (out.size() + value->size() + (text.size() - close) >
        kMaxExpandedLength) {
      out += macro;  // would grow past the limit: stays as written
    } else {
      out += *value;
    }
    from = close + 1;
  }
  out.append(text, from, std::string::npos);
  text = std::move(out);
}

void ExpandRandomHex(std::string& url, std::string& post,
                     RandomSource& random) {
  static constexpr std::string_view kOpener = "%rndhex";
  const size_t at = url.find(kOpener);
  if (at == std::string::npos) return;
  const size_t count_start = at + kOpener.size();
  const size_t close = url.find('%', count_start);
  if (close == std::string::npos) return;
  const std::string count_text = url.substr(count_start, close - count_start);
  unsigned count = static_cast<unsigned>(ReadInteger(count_text));
  if (count > kRandomHexMaxCount) count = kRandomHexFallback;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string digits;
  digits.reserve(count);
  for (unsigned i = 0; i < count; ++i) {
    digits += kDigits[static_cast<unsigned>(random.Next()) % 16];
  }
  const std::string macro = std::string(kOpener) + count_text + "%";
  ReplaceAllBounded(url, macro, digits, true);
  ReplaceAllBounded(post, macro, digits, true);
}

std::string FormatColorHex(RgbColor color) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (uint8_t byte : {color.red, color.green, color.blue}) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

PageMacroValues ReadPageMacroValues(HtmlDocument* document) {
  PageMacroValues values;
  if (document == nullptr) return values;
  if (std::optional<std::string> url = document->GetUrl()) {
    values.encoded_url = UrlEncode(*url, kUrlUnreserved);
  }
  values.domain = document->GetDomain().value_or("");
  return values;
}

bool IsDynamicPaneUrl(const std::string& url) {
  return url.find("%url") != std::string::npos ||
         url.find("%domain") != std::string::npos ||
         url.find("%newdomain") != std::string::npos;
}

ExpandedTemplates ExpandTemplates(const MacroInputs& inputs,
                                  const std::string& url,
                                  const std::string& post,
                                  const std::string& parameter) {
  ExpandedTemplates out{url, post};

  // 1. Combo values, three passes.
  for (int pass = 0; pass < 3; ++pass) {
    for (const ComboInput& combo : inputs.combos) {
      if (combo.box == nullptr) continue;
      const std::string value = combo.box->GetValue();
      inputs.last_combo_values->Set(combo.name, value);
      // Each word goes to the server as a form value; the "+" between the
      // words stays a blank.
      std::vector<std::string> words;
      JoinSearchWords(value, words);
      std::string joined;
      for (const std::string& word : words) {
        if (!joined.empty()) joined += '+';
        joined += FormEncode(word);
      }
      const std::string macro = "%" + combo.name;
      bool replaced = ReplaceAllBounded(out.url, macro, joined, false);
      if (!replaced)
        replaced = ReplaceAllBounded(out.post, macro, joined, false);
      if (replaced) combo.box->AddToHistory(combo.box->GetValue());
    }
  }

  // 2. Client-side properties.
  const auto property = PropertyLookup(*inputs.settings);
  ExpandParenthesisedMacro(out.url, "%csp(", property);
  ExpandParenthesisedMacro(out.post, "%csp(", property);

  // 3. The page.
  const PageMacroValues page = ReadPageMacroValues(inputs.document);
  if (page.encoded_url) inputs.last_page_url->Set(*page.encoded_url);

  // 4. The caller's parameter.
  if (!parameter.empty()) {
    ReplaceAllBounded(out.url, "%cmdparam", parameter, false);
    ReplaceAllBounded(out.post, "%cmdparam", parameter, false);
  }

  // 5. Mail accounts, in the post only.
  ExpandMailMacros(*inputs.settings, out.post);

  // 6. The button-face colour.
  if ((out.url.find("%bgcolor") != std::string::npos ||
       out.post.find("%bgcolor") != std::string::npos) &&
      inputs.button_face) {
    const std::string color = FormatColorHex(inputs.button_face());
    ReplaceAllBounded(out.url, "%bgcolor", color, true);
    ReplaceAllBounded(out.post, "%bgcolor", color, true);
  }

  // 7. Page macros.
  if (out.url.find('%') != std::string::npos ||
      out.post.find('%') != std::string::npos) {
    const std::string last_url = inputs.last_page_url->Get();
    for (std::string* text : {&out.url, &out.post}) {
      ReplaceAllBounded(*text, "%curl", last_url, true);
      ReplaceAllBounded(*text, "%cdomain", page.domain, true);
      ReplaceAllBounded(*text, "%url", last_url, true);
      ReplaceAllBounded(*text, "%domain", page.domain, true);
    }
  }

  // 8. Random digits.
  ExpandRandomHex(out.url, out.post, *inputs.random);
  return out;
}

std::optional<std::string> ExpandPaneTemplate(const MacroInputs& inputs,
                                              const std::string& name,
                                              const std::string& url,
                                              bool dynamic,
                                              std::string& last_domain) {
  // 1. An address a GOTOURL command sent replaces a static pane's url.
  std::string text = url;
  const std::string stored =
      inputs.settings->GetString("BrowserButton" + name + "URL", "");
  if (!stored.empty() && !dynamic) text = stored;

  // 2. The page, into local values.
  const PageMacroValues page = ReadPageMacroValues(inputs.document);
  const std::string encoded = page.encoded_url.value_or("");

  // 3. A pane that follows the domain loads only when the domain changed.
  if (text.find("%newdomain") != std::string::npos) {
    if (page.domain == last_domain) return std::nullopt;
    ReplaceFirstBounded(text, "%newdomain", page.domain, true);
    last_domain = page.domain;
  }

  // 5. Colour and page macros, first occurrence each.
  if (text.find("%bgcolor") != std::string::npos && inputs.button_face) {
    ReplaceFirstBounded(text, "%bgcolor", FormatColorHex(inputs.button_face()),
                        true);
  }
  ReplaceFirstBounded(text, "%curl", encoded, true);
  ReplaceFirstBounded(text, "%cdomain", page.domain, true);
  ReplaceFirstBounded(text, "%url", encoded, true);
  ReplaceFirstBounded(text, "%domain", page.domain, true);

  // 6. Client-side properties, first occurrence each time.
  ExpandParenthesisedMacro(text, "%csp(", PropertyLookup(*inputs.settings));
  return text;
}

}  // namespace zan
