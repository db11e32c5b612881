#include "browser/address_input.h"

#include <gtest/gtest.h>

namespace zan {
namespace {

TEST(AddressInputTest, AddressesGetASchemeAndEverythingElseIsSearched) {
  struct Row {
    const char* typed;
    AddressKind kind;
    const char* url;       // for addresses
    const char* fallback;  // for addresses
    const char* words;     // for searches
  } rows[] = {
      {"", AddressKind::kNothing, "", "", ""},
      {"  \t ", AddressKind::kNothing, "", "", ""},
      {"?", AddressKind::kNothing, "", "", ""},
      // Schemes the browser loads stay as typed.
      {"http://example.com/a b", AddressKind::kAddress,
       "http://example.com/a b", "", ""},
      {" HTTPS://Example.com ", AddressKind::kAddress, "HTTPS://Example.com",
       "", ""},
      {"file:///tmp/x.html", AddressKind::kAddress, "file:///tmp/x.html", "",
       ""},
      {"about:blank", AddressKind::kAddress, "about:blank", "", ""},
      {"view-source:http://a.de/", AddressKind::kAddress,
       "view-source:http://a.de/", "", ""},
      // Names with a dot and a top label of letters: https, http fallback.
      {"example.com", AddressKind::kAddress, "https://example.com",
       "http://example.com", ""},
      {"www.example.co.uk/path?q=1#f", AddressKind::kAddress,
       "https://www.example.co.uk/path?q=1#f",
       "http://www.example.co.uk/path?q=1#f", ""},
      {"example.com:8443/x", AddressKind::kAddress,
       "https://example.com:8443/x", "http://example.com:8443/x", ""},
      {"example.com.", AddressKind::kAddress, "https://example.com.",
       "http://example.com.", ""},
      {"xn--mnchen-3ya.de", AddressKind::kAddress, "https://xn--mnchen-3ya.de",
       "http://xn--mnchen-3ya.de", ""},
      {"m\xC3\xBCnchen.de", AddressKind::kAddress, "https://m\xC3\xBCnchen.de",
       "http://m\xC3\xBCnchen.de", ""},
      // Local hosts get plain http.
      {"localhost", AddressKind::kAddress, "http://localhost", "", ""},
      {"LocalHost:8080/app", AddressKind::kAddress, "http://LocalHost:8080/app",
       "", ""},
      {"127.0.0.1:5000/page", AddressKind::kAddress,
       "http://127.0.0.1:5000/page", "", ""},
      {"192.168.1.1", AddressKind::kAddress, "http://192.168.1.1", "", ""},
      {"[::1]:8080/", AddressKind::kAddress, "http://[::1]:8080/", "", ""},
      {"intranet:8080", AddressKind::kAddress, "http://intranet:8080", "", ""},
      // Absolute paths are files.
      {"/tmp/page.html", AddressKind::kAddress, "file:///tmp/page.html", "",
       ""},
      // Search text.
      {"weather", AddressKind::kSearch, "", "", "weather"},
      {"  blue sky  ", AddressKind::kSearch, "", "", "blue sky"},
      {"example.com is down", AddressKind::kSearch, "", "",
       "example.com is down"},
      {"? example.com", AddressKind::kSearch, "", "", "example.com"},
      {"3.14159", AddressKind::kSearch, "", "", "3.14159"},
      {"256.1.1.1", AddressKind::kSearch, "", "", "256.1.1.1"},
      {"1.2.3", AddressKind::kSearch, "", "", "1.2.3"},
      {"a.b", AddressKind::kSearch, "", "", "a.b"},
      {"c++", AddressKind::kSearch, "", "", "c++"},
      {"-bad-.com", AddressKind::kSearch, "", "", "-bad-.com"},
      {"example.com:99999", AddressKind::kSearch, "", "", "example.com:99999"},
      {"ratio:abc", AddressKind::kSearch, "", "", "ratio:abc"},
      {"name@example.com", AddressKind::kSearch, "", "", "name@example.com"},
      {"//server/share", AddressKind::kSearch, "", "", "//server/share"},
      // Script and unknown schemes are never loaded from the address bar.
      {"javascript:alert(1)", AddressKind::kSearch, "", "",
       "javascript:alert(1)"},
      {"JavaScript:void(0)", AddressKind::kSearch, "", "",
       "JavaScript:void(0)"},
  };
  for (const Row& row : rows) {
    AddressInput input = ClassifyAddressInput(row.typed);
    EXPECT_EQ(input.kind, row.kind) << row.typed;
    EXPECT_EQ(input.url, row.url) << row.typed;
    EXPECT_EQ(input.fallback_url, row.fallback) << row.typed;
    EXPECT_EQ(input.words, row.words) << row.typed;
  }
}

}  // namespace
}  // namespace zan
