#include "mail/mail_accounts_presenter.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/mail/mail_fakes.h"
#include "tests/support/scripted_ui.h"

namespace zan {
namespace {

using C = AccountsControl;

// Widgets kept in memory. Like native edits, a text set by the program is
// reported back as a change.
class FakeAccountsView : public MailAccountsView {
 public:
  void AppendLine(const std::string& text) override { lines.push_back(text); }
  void ReplaceLine(int index, const std::string& text) override {
    lines.at(index) = text;
    selected = -1;  // a replaced line loses the selection until reselected
  }
  void RemoveLine(int index) override { lines.erase(lines.begin() + index); }
  void SelectLine(int index) override { selected = index; }
  void SetText(C control, const std::string& text) override {
    texts[control] = text;
    Changed(control, text);
  }
  void SetTextLimit(C control, int characters) override {
    limits[control] = characters;
  }
  void SetSpinRange(int lowest, int highest) override {
    spin_range = {lowest, highest};
  }
  void Enable(C control, bool enabled_now) override {
    enabled[control] = enabled_now;
  }
  void SetChecked(C control, bool checked_now) override {
    checked[control] = checked_now;
  }
  void AddChoice(C control, const std::string& text) override {
    choices[control].push_back(text);
  }
  // Like a native list, a choice set by the program is reported back.
  void SetChoice(C control, int index) override {
    chosen[control] = index;
    if (presenter && control == C::kSecurity) {
      presenter->OnSecurityChosen(index);
    }
  }
  void AddTooltip(C control, const std::string& text) override {
    tooltips[control] = text;
  }
  void EndDialog(C button) override { ended_with = button; }

  // The user types into an edit.
  void Type(C control, const std::string& text) {
    texts[control] = text;
    Changed(control, text);
  }
  void Changed(C control, const std::string& text) {
    if (!presenter) return;
    switch (control) {
      case C::kServer:
        presenter->OnServerChanged(text);
        break;
      case C::kUser:
        presenter->OnUserChanged(text);
        break;
      case C::kPassword:
        presenter->OnPasswordChanged(text);
        break;
      case C::kInterval:
        presenter->OnIntervalChanged(text);
        break;
      default:
        break;
    }
  }

  MailAccountsPresenter* presenter = nullptr;
  std::vector<std::string> lines;
  int selected = -2;
  std::map<C, std::string> texts;
  std::map<C, int> limits;
  std::pair<int, int> spin_range;
  std::map<C, bool> enabled;
  std::map<C, bool> checked;
  std::map<C, std::string> tooltips;
  std::map<C, std::vector<std::string>> choices;
  std::map<C, int> chosen;
  std::optional<C> ended_with;
};

class MailAccountsPresenterTest : public ::testing::Test {
 protected:
  void Open() {
    presenter_ = std::make_unique<MailAccountsPresenter>(store(), view_, ui_);
    view_.presenter = presenter_.get();
    presenter_->OnInitDialog();
  }
  const MailAccountStore& store() { return disk_.store(); }

  StoreOnDisk disk_;
  FakeAccountsView view_;
  test::ScriptedUi ui_;
  std::unique_ptr<MailAccountsPresenter> presenter_;
};

TEST_F(MailAccountsPresenterTest, OpensWithTheStoredAccounts) {
  store().SaveAccounts({{"pop.a.org", "anna", "pw", "30", "1"},
                        {"pop.b.org", "bert", "", "0", "0"}});
  Open();
  EXPECT_EQ(view_.lines, (std::vector<std::string>{"anna at pop.a.org",
                                                   "bert at pop.b.org"}));
  EXPECT_EQ(view_.selected, 0);
  EXPECT_EQ(view_.limits[C::kServer], 400);
  EXPECT_EQ(view_.limits[C::kPassword], 400);
  EXPECT_EQ(view_.limits[C::kInterval], 3);
  EXPECT_EQ(view_.spin_range, std::make_pair(10, 180));
  EXPECT_EQ(view_.tooltips[C::kAdd], "Add POP3 Account");
  EXPECT_EQ(view_.tooltips[C::kDelete], "Delete selected account");
  EXPECT_EQ(view_.tooltips[C::kList], "List configured POP3 accounts");
  EXPECT_EQ(view_.texts[C::kServer], "pop.a.org");
  EXPECT_EQ(view_.texts[C::kUser], "anna");
  EXPECT_EQ(view_.texts[C::kPassword], "pw");
  EXPECT_EQ(view_.texts[C::kInterval], "30");
  EXPECT_TRUE(view_.checked[C::kSecure]);
  EXPECT_TRUE(view_.checked[C::kAutoCheck]);
  EXPECT_TRUE(view_.enabled[C::kSpin]);
  // Filling the edits changed nothing.
  EXPECT_FALSE(presenter_->modified());

  presenter_->OnSelectionChanged(1);
  EXPECT_EQ(view_.texts[C::kUser], "bert");
  EXPECT_FALSE(view_.checked[C::kSecure]);
  EXPECT_FALSE(view_.checked[C::kAutoCheck]);
  for (C control : {C::kEvery, C::kMinutes, C::kInterval, C::kSpin}) {
    EXPECT_FALSE(view_.enabled[control]);
  }
  EXPECT_TRUE(view_.enabled[C::kServer]);
  EXPECT_EQ(store().LoadAccounts(), presenter_->accounts());
}

TEST_F(MailAccountsPresenterTest, SecurityChoice) {
  MailAccount tls{"pop.a.org", "anna", "pw", "30", "1"};
  tls.security = MailSecurity::kTls;
  tls.port = 1995;
  store().SaveAccounts({tls, {"pop.b.org", "bert", "", "0", "0"}});
  Open();
  EXPECT_EQ(view_.choices[C::kSecurity],
            (std::vector<std::string>{"Keine", "STLS", "TLS"}));
  EXPECT_EQ(view_.chosen[C::kSecurity], 2);
  EXPECT_TRUE(view_.enabled[C::kSecurity]);
  // Showing the account changed nothing, its own port included.
  EXPECT_FALSE(presenter_->modified());
  presenter_->OnSecurityChosen(2);
  EXPECT_EQ(presenter_->accounts()[0].port, 1995);

  presenter_->OnSelectionChanged(1);
  EXPECT_EQ(view_.chosen[C::kSecurity], 0);
  presenter_->OnSecurityChosen(1);
  EXPECT_EQ(presenter_->accounts()[1].security, MailSecurity::kStls);
  EXPECT_EQ(presenter_->accounts()[1].port, 110);
  presenter_->OnSecurityChosen(2);
  EXPECT_EQ(presenter_->accounts()[1].port, 995);
  presenter_->OnSecurityChosen(7);
  EXPECT_EQ(presenter_->accounts()[1].security, MailSecurity::kTls);
  presenter_->OnOk();
  EXPECT_EQ(store().LoadAccounts(), presenter_->accounts());

  presenter_->OnSelectionChanged(-1);
  EXPECT_FALSE(view_.enabled[C::kSecurity]);
  EXPECT_FALSE(view_.enabled[C::kSecurityLabel]);
  EXPECT_EQ(view_.chosen[C::kSecurity], -1);
}

TEST_F(MailAccountsPresenterTest, AddEditAndSave) {
  Open();
  EXPECT_EQ(view_.selected, -1);
  EXPECT_FALSE(view_.enabled[C::kServer]);
  presenter_->OnAdd();
  EXPECT_EQ(view_.lines,
            std::vector<std::string>{"new account at new server 1"});
  EXPECT_EQ(view_.selected, 0);
  EXPECT_TRUE(view_.checked[C::kAutoCheck]);
  EXPECT_EQ(view_.texts[C::kInterval], "10");

  view_.Type(C::kServer, "pop.example.org");
  view_.Type(C::kUser, std::string(150, 'u'));
  view_.Type(C::kPassword, "MH secret");
  presenter_->OnSecureToggled(true);
  EXPECT_EQ(view_.lines[0], std::string(99, 'u') + " at pop.example.org");
  EXPECT_EQ(view_.selected, 0);

  presenter_->OnAdd();
  EXPECT_EQ(view_.lines[1], "new account at new server 2");
  view_.Type(C::kInterval, "45");

  presenter_->OnOk();
  EXPECT_EQ(view_.ended_with, C::kOk);
  EXPECT_EQ(
      store().LoadAccounts(),
      (std::vector<MailAccount>{
          {"pop.example.org", std::string(99, 'u'), "MH secret", "10", "1"},
          {"new server 2", "new account", "", "45", "0"}}));
}

TEST_F(MailAccountsPresenterTest, AutomaticCheckingSetsTheInterval) {
  store().SaveAccounts({{"s", "u", "p", "45", "0"}});
  Open();
  presenter_->OnAutoCheckToggled(false);
  EXPECT_EQ(presenter_->accounts()[0].check_interval, "0");
  EXPECT_EQ(view_.texts[C::kInterval], "0");
  EXPECT_FALSE(view_.enabled[C::kInterval]);
  EXPECT_FALSE(view_.enabled[C::kSpin]);
  presenter_->OnAutoCheckToggled(true);
  EXPECT_EQ(presenter_->accounts()[0].check_interval, "10");
  EXPECT_EQ(view_.texts[C::kInterval], "10");
  EXPECT_TRUE(view_.enabled[C::kEvery]);
  EXPECT_TRUE(view_.enabled[C::kMinutes]);
}

TEST_F(MailAccountsPresenterTest, DeleteAsksFirst) {
  store().SaveAccounts({{"a", "1", "p", "10", "0"},
                        {"b", "2", "p", "10", "0"},
                        {"c", "3", "p", "10", "0"}});
  Open();
  presenter_->OnSelectionChanged(2);
  ui_.answers = {MessageBoxAnswer::kNo};
  presenter_->OnDelete();
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0],
            (test::ScriptedUi::Box{
                "Are you sure you want to delete selected POP3 account?",
                "Menu editor", MessageBoxButtons::kYesNo,
                MessageBoxIcon::kQuestion}));
  EXPECT_EQ(presenter_->accounts().size(), 3u);

  // The last line goes: the new last line is selected.
  presenter_->OnDelete();
  EXPECT_EQ(view_.lines, (std::vector<std::string>{"1 at a", "2 at b"}));
  EXPECT_EQ(view_.selected, 1);
  EXPECT_EQ(view_.texts[C::kServer], "b");
  // A line in the middle goes: the same position is selected.
  presenter_->OnSelectionChanged(0);
  presenter_->OnDelete();
  EXPECT_EQ(view_.lines, std::vector<std::string>{"2 at b"});
  EXPECT_EQ(view_.selected, 0);
  presenter_->OnDelete();
  EXPECT_TRUE(view_.lines.empty());
  EXPECT_EQ(view_.selected, -1);
  for (C control : {C::kServer, C::kUser, C::kPassword, C::kInterval}) {
    EXPECT_FALSE(view_.enabled[control]);
    EXPECT_EQ(view_.texts[control], "");
  }
  // Nothing selected: typing and deleting change nothing.
  view_.Type(C::kServer, "x");
  presenter_->OnDelete();
  EXPECT_EQ(ui_.boxes.size(), 4u);
  EXPECT_TRUE(presenter_->accounts().empty());
}

TEST_F(MailAccountsPresenterTest, CancelKeepsOkClearsStatus) {
  store().SaveAccounts({{"a", "1", "p", "10", "0"}});
  store().WriteStats("1", "3 5120");
  store().WriteError("1", "Hostname Error!");
  Open();
  view_.Type(C::kServer, "changed");
  presenter_->OnAdd();
  presenter_->OnCancel();
  EXPECT_EQ(view_.ended_with, C::kCancel);
  EXPECT_FALSE(presenter_->modified());
  EXPECT_EQ(store().ReadServer("1"), "a");
  EXPECT_EQ(store().ReadStats("1"), "3 5120");
  EXPECT_EQ(store().AccountCount(), 1u);

  Open();
  presenter_->OnOk();
  EXPECT_EQ(store().ReadServer("1"), "a");
  EXPECT_EQ(store().ReadStats("1"), std::nullopt);
  EXPECT_EQ(store().ReadError("1"), "");
}

}  // namespace
}  // namespace zan
