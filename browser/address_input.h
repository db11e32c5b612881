#ifndef ZAN_BROWSER_ADDRESS_INPUT_H_
#define ZAN_BROWSER_ADDRESS_INPUT_H_

#include <string>
#include <string_view>

namespace zan {

// What the text typed into the address bar asks for.
enum class AddressKind {
  kNothing,  // blank
  kAddress,  // `url` is the address to load
  kSearch,   // `words` are to be searched with the toolbar's current search
};

struct AddressInput {
  AddressKind kind = AddressKind::kNothing;
  // The address to load; a missing scheme has been added.
  std::string url;
  // When `url` got "https://" added: the same address over plain http, to
  // try when the secure one cannot be reached. Empty otherwise.
  std::string fallback_url;
  // The search words, trimmed.
  std::string words;
};

// Reads what the user typed into the address bar.
//
// An address is text with a scheme the browser loads ("http:", "https:",
// "file:", "ftp:", "about:", "data:", "view-source:"), an absolute file path
// ("/..."), or a host name (with a dot and a last label of at least two
// letters, "localhost", an IPv4 address or a bracketed IPv6 address) with an
// optional port, path, query and fragment. Host names get "https://" (with
// an http fallback); "localhost", IP addresses and single-label hosts with a
// port get "http://". Everything else is searched, as is any text that
// begins with "?". "javascript:" text is searched, never run: pasted text
// must not run script in the page.
AddressInput ClassifyAddressInput(std::string_view typed);

}  // namespace zan

#endif  // ZAN_BROWSER_ADDRESS_INPUT_H_
