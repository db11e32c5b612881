// Feeds arbitrary command templates, combo values, page addresses,
// client-side properties and mail accounts to the macro expansion. The
// input is fields split at the byte 0x1F:
//
//   url, post, parameter, page address, page domain, pane url, pane's last
//   domain, then pairs (name, value): "=name" a client-side property set by
//   a page, "#..." a mail account whose value is server TAB user TAB
//   password, any other name a search box with that text.
//
// An empty page address means no page; a domain of "-" one the page cannot
// tell. Besides the sanitizers (and libFuzzer's timeout: expansion always
// ends) it checks that the output stays bounded, that templates without a
// "%" come out unchanged, that every box's value is recorded, that two runs
// on the same inputs agree, that a page's property reads back through
// "%csp(" exactly when the store could hold its name and value, and that a
// pane stays unloaded only for an unchanged "%newdomain".

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/client_side_property.h"
#include "commands/macro_expansion.h"
#include "commands/macro_state.h"
#include "mail/mail_account_store.h"
#include "platform/html_document.h"
#include "platform/posix/sqlite_registry.h"
#include "settings/settings_store.h"

namespace {

class Box : public zan::SearchBoxAccess {
 public:
  explicit Box(std::string value) : value_(std::move(value)) {}
  std::string GetValue() override { return value_; }
  void AddToHistory(const std::string&) override { ++recorded_; }
  void ClearHistory() override {}
  int recorded() const { return recorded_; }

 private:
  std::string value_;
  int recorded_ = 0;
};

class Page : public zan::HtmlDocument {
 public:
  Page(std::string url, std::optional<std::string> domain)
      : url_(std::move(url)), domain_(std::move(domain)) {}
  std::optional<std::string> GetUrl() override { return url_; }
  std::optional<std::string> GetDomain() override { return domain_; }
  int GetFrameCount() override { return 0; }
  HtmlDocument* GetFrame(int) override { return nullptr; }
  bool HighlightWord(const std::string&, const std::string&,
                     const std::string&) override {
    return false;
  }
  void ClearHighlights(const std::string&) override {}
  void ShowModalDialog(const std::string&, const std::string&) override {}
  void Focus() override {}

 private:
  std::string url_;
  std::optional<std::string> domain_;
};

class CountingRandom : public zan::RandomSource {
 public:
  int Next() override { return next_++ & 0x7FFF; }

 private:
  int next_ = 0;
};

std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    const size_t end = text.find('\x1f', start);
    fields.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return fields;
    start = end + 1;
  }
}

std::string Folded(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// A name the store can hold as a value name.
bool Storable(const std::string& name) {
  return name.size() <= zan::kMaxRegistryValueName &&
         name.find('\0') == std::string::npos;
}

std::vector<std::string> SplitTabs(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (int i = 0; i < 2; ++i) {
    const size_t end = text.find('\t', start);
    if (end == std::string::npos) break;
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  parts.push_back(text.substr(start));
  while (parts.size() < 3) parts.emplace_back();
  return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::vector<std::string> f =
      Fields(std::string(reinterpret_cast<const char*>(data), size));
  f.resize(std::max<size_t>(f.size(), 7));
  const std::string& url = f[0];
  const std::string& post = f[1];
  const std::string& parameter = f[2];

  auto registry = zan::SqliteRegistry::Open(":memory:");
  if (!registry) std::abort();
  const zan::SettingsStore settings(*registry);
  std::unique_ptr<Page> page;
  if (!f[3].empty()) {
    page = std::make_unique<Page>(
        f[3], f[4] == "-" ? std::nullopt : std::optional<std::string>(f[4]));
  }

  std::vector<std::unique_ptr<Box>> boxes;
  std::vector<zan::ComboInput> combos;
  std::map<std::string, std::string> last_value;  // combo name -> value
  std::map<std::string, std::pair<std::string, std::string>> properties;
  std::vector<zan::MailAccount> accounts;
  for (size_t i = 7; i + 1 < f.size(); i += 2) {
    const std::string& name = f[i];
    const std::string& value = f[i + 1];
    if (!name.empty() && name[0] == '=') {
      const std::string property = name.substr(1);
      const bool stored = zan::SetClientSideProperty(settings, property, value);
      // The page learns when its property could not be kept.
      if (stored != (property.empty() || Storable("CSP_" + property))) {
        std::abort();
      }
      if (!property.empty() && stored) {
        auto& entry = properties[Folded(property)];
        // A name written again keeps its first spelling.
        if (entry.first.empty()) entry.first = property;
        entry.second = value;
      }
    } else if (!name.empty() && name[0] == '#') {
      const std::vector<std::string> parts = SplitTabs(value);
      accounts.push_back({parts[0], parts[1], parts[2], "10", "0"});
    } else {
      boxes.push_back(std::make_unique<Box>(value));
      combos.push_back({name, boxes.back().get()});
      last_value[name] = value;
    }
  }
  if (!accounts.empty()) {
    zan::MailAccountStore(settings).SaveAccounts(accounts);
  }

  CountingRandom random;
  zan::LastComboValues combo_values;
  zan::LastPageUrl page_url;
  zan::MacroInputs inputs;
  inputs.combos = combos;
  inputs.document = page.get();
  inputs.button_face = [] { return zan::RgbColor{236, 233, 216}; };
  inputs.settings = &settings;
  inputs.random = &random;
  inputs.last_combo_values = &combo_values;
  inputs.last_page_url = &page_url;

  const zan::ExpandedTemplates out =
      zan::ExpandTemplates(inputs, url, post, parameter);
  if (out.url.size() > std::max(url.size(), zan::kMaxExpandedLength) ||
      out.post.size() > std::max(post.size(), zan::kMaxExpandedLength)) {
    std::abort();
  }
  if (url.find('%') == std::string::npos &&
      post.find('%') == std::string::npos) {
    if (out.url != url || out.post != post) std::abort();
    for (const auto& box : boxes) {
      if (box->recorded() != 0) std::abort();
    }
  }
  for (const auto& [name, value] : last_value) {
    if (combo_values.Get(name) != value) std::abort();
  }
  CountingRandom same_random;
  inputs.random = &same_random;
  const zan::ExpandedTemplates again =
      zan::ExpandTemplates(inputs, url, post, parameter);
  if (again.url != out.url || again.post != out.post) std::abort();

  std::string last_domain = f[6];
  const std::string before = last_domain;
  const std::optional<std::string> pane = zan::ExpandPaneTemplate(
      inputs, "Pane", f[5], zan::IsDynamicPaneUrl(f[5]), last_domain);
  if (!pane) {
    const std::string domain = page ? page->GetDomain().value_or("") : "";
    if (f[5].find("%newdomain") == std::string::npos || domain != before) {
      std::abort();
    }
  } else if (pane->size() > std::max(f[5].size(), zan::kMaxExpandedLength)) {
    std::abort();
  }

  // Each property a page stored reads back through a pane without a page,
  // where nothing else touches the inserted value.
  inputs.document = nullptr;
  inputs.button_face = nullptr;
  for (const auto& [folded, entry] : properties) {
    const std::string& name = entry.first;
    if (name.find(')') != std::string::npos ||
        name.find("%newdomain") != std::string::npos) {
      continue;
    }
    std::string no_domain;
    const std::string macro = "%csp(" + name + ")";
    const std::optional<std::string> read =
        zan::ExpandPaneTemplate(inputs, "Pane", macro, true, no_domain);
    // Values longer than a settings read takes read as empty.
    const std::string expected =
        entry.second.size() + 1 > zan::SettingsStore::kMaxStringBytes
            ? ""
            : entry.second.substr(0, entry.second.find('\0'));
    if (!read || *read != expected) std::abort();
  }
  return 0;
}
