#include "browser/address_input.h"

#include <array>
#include <cctype>
#include <cstdlib>

namespace zan {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' ||
         c == '\v';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool IsAsciiAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The schemes typed addresses may carry.
constexpr std::array<std::string_view, 7> kLoadableSchemes = {
    "http", "https", "file", "ftp", "about", "data", "view-source"};

// The scheme of `text` ("http" of "http://x"), lower case; empty when the
// text does not begin with one.
std::string SchemeOf(std::string_view text) {
  if (text.empty() || !IsAsciiAlpha(text.front())) return {};
  size_t i = 1;
  while (i < text.size() &&
         (IsAsciiAlpha(text[i]) || IsDigit(text[i]) || text[i] == '+' ||
          text[i] == '-' || text[i] == '.')) {
    ++i;
  }
  if (i >= text.size() || text[i] != ':') return {};
  return Lower(text.substr(0, i));
}

bool IsPort(std::string_view text) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  long port = std::strtol(std::string(text).c_str(), nullptr, 10);
  return port >= 1 && port <= 65535;
}

bool IsIpv4(std::string_view host) {
  int parts = 0;
  while (true) {
    size_t dot = host.find('.');
    std::string_view part = host.substr(0, dot);
    if (part.empty() || part.size() > 3) return false;
    for (char c : part) {
      if (!IsDigit(c)) return false;
    }
    if (std::strtol(std::string(part).c_str(), nullptr, 10) > 255) return false;
    ++parts;
    if (dot == std::string_view::npos) break;
    host.remove_prefix(dot + 1);
  }
  return parts == 4;
}

bool IsIpv6Literal(std::string_view host) {
  if (host.size() < 4 || host.front() != '[' || host.back() != ']') {
    return false;
  }
  int colons = 0;
  for (char c : host.substr(1, host.size() - 2)) {
    if (c == ':') {
      ++colons;
    } else if (!std::isxdigit(static_cast<unsigned char>(c)) && c != '.') {
      return false;
    }
  }
  return colons >= 2;
}

// A label of a host name: letters, digits, hyphens and (international
// names) bytes above 0x7F, neither beginning nor ending with a hyphen.
bool IsLabel(std::string_view label) {
  if (label.empty() || label.size() > 63) return false;
  if (label.front() == '-' || label.back() == '-') return false;
  for (char c : label) {
    auto u = static_cast<unsigned char>(c);
    if (!(IsAsciiAlpha(c) || IsDigit(c) || c == '-' || u >= 0x80)) {
      return false;
    }
  }
  return true;
}

// The last label of a public name: two or more letters, or an encoded
// international one ("xn--...").
bool IsTopLabel(std::string_view label) {
  if (label.size() < 2) return false;
  if (Lower(label.substr(0, 4)) == "xn--") return true;
  for (char c : label) {
    if (!(IsAsciiAlpha(c) || static_cast<unsigned char>(c) >= 0x80)) {
      return false;
    }
  }
  return true;
}

enum class HostKind { kNone, kPublicName, kLocal };

HostKind ClassifyHost(std::string_view host, bool has_port) {
  if (host.empty()) return HostKind::kNone;
  if (IsIpv4(host) || IsIpv6Literal(host)) return HostKind::kLocal;
  if (Lower(host) == "localhost") return HostKind::kLocal;
  if (host.back() == '.') host.remove_suffix(1);  // "example.com."
  size_t labels = 0;
  std::string_view last;
  std::string_view rest = host;
  while (true) {
    size_t dot = rest.find('.');
    std::string_view label = rest.substr(0, dot);
    if (!IsLabel(label)) return HostKind::kNone;
    ++labels;
    last = label;
    if (dot == std::string_view::npos) break;
    rest.remove_prefix(dot + 1);
  }
  if (labels == 1) return has_port ? HostKind::kLocal : HostKind::kNone;
  return IsTopLabel(last) ? HostKind::kPublicName : HostKind::kNone;
}

AddressInput Search(std::string_view words) {
  AddressInput input;
  input.words = std::string(words);
  input.kind =
      input.words.empty() ? AddressKind::kNothing : AddressKind::kSearch;
  return input;
}

AddressInput Address(std::string url, std::string fallback = {}) {
  AddressInput input;
  input.kind = AddressKind::kAddress;
  input.url = std::move(url);
  input.fallback_url = std::move(fallback);
  return input;
}

}  // namespace

AddressInput ClassifyAddressInput(std::string_view typed) {
  std::string_view text = Trim(typed);
  if (text.empty()) return {};
  if (text.front() == '?') return Search(Trim(text.substr(1)));

  std::string scheme = SchemeOf(text);
  if (!scheme.empty()) {
    for (std::string_view loadable : kLoadableSchemes) {
      if (scheme == loadable) return Address(std::string(text));
    }
    // "host:8080/path" reads as a scheme but is a host and a port.
    std::string_view after = text.substr(scheme.size() + 1);
    size_t end = after.find_first_of("/?#");
    if (!IsPort(after.substr(0, end))) return Search(text);
  }
  if (text.front() == '/') {
    if (text.size() > 1 && text[1] == '/') return Search(text);
    return Address("file://" + std::string(text));
  }
  for (char c : text) {
    if (IsSpace(c)) return Search(text);
  }

  // The authority: up to the first "/", "?" or "#"; the port follows the
  // last ":" outside IPv6 brackets.
  std::string_view authority = text.substr(0, text.find_first_of("/?#"));
  // "name@example.com" is an e-mail address, and a user name in a typed
  // address mostly serves to disguise the host.
  if (authority.find('@') != std::string_view::npos) return Search(text);
  std::string_view host = authority;
  bool has_port = false;
  size_t colon = host.rfind(':');
  size_t bracket = host.rfind(']');
  if (colon != std::string_view::npos &&
      (bracket == std::string_view::npos || colon > bracket)) {
    if (!IsPort(host.substr(colon + 1))) return Search(text);
    host = host.substr(0, colon);
    has_port = true;
  }
  switch (ClassifyHost(host, has_port)) {
    case HostKind::kNone:
      return Search(text);
    case HostKind::kLocal:
      return Address("http://" + std::string(text));
    case HostKind::kPublicName:
      return Address("https://" + std::string(text),
                     "http://" + std::string(text));
  }
  return Search(text);
}

}  // namespace zan
