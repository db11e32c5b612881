#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <cstdlib>
#include <memory>

#include "hosts/qt/qt_accounts_dialog.h"
#include "mail/mail_account_store.h"
#include "platform/posix/sqlite_registry.h"
#include "settings/settings_store.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_dir.h"

namespace zan {
namespace {

using C = AccountsControl;

class AccountsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry = SqliteRegistry::Open(home.File("registry.db"));
    ASSERT_TRUE(registry);
    settings = std::make_unique<SettingsStore>(*registry);
    store = std::make_unique<MailAccountStore>(*settings);
  }

  QLineEdit* Edit(QtAccountsDialog& d, C control) {
    return qobject_cast<QLineEdit*>(d.Control(control));
  }
  QCheckBox* Box(QtAccountsDialog& d, C control) {
    return qobject_cast<QCheckBox*>(d.Control(control));
  }
  // Clicks a widget the way the mouse does.
  void Click(QWidget* w) {
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(4, w->height() / 2));
  }

  test::TempDir home;
  std::unique_ptr<SqliteRegistry> registry;
  std::unique_ptr<SettingsStore> settings;
  std::unique_ptr<MailAccountStore> store;
  test::ScriptedUi ui;
};

TEST_F(AccountsDialogTest, TextsLayoutAndTooltips) {
  QtAccountsDialog dialog(*settings, ui);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("POP3 Konten Konfigurieren"));
  EXPECT_EQ(dialog.size(), QtAccountsDialog::DialogRect(0, 0, 313, 159).size());

  struct Row {
    C control;
    const char* text;
    int x, y, w, h;
  };
  const Row rows[] = {
      {C::kAdd, "Hinzufugen", 85, 15, 40, 11},
      {C::kDelete, "Loschen", 130, 15, 40, 11},
      {C::kList, nullptr, 15, 27, 142, 86},
      {C::kSecurityLabel, "Sicherheit", 15, 119, 38, 8},
      {C::kSecurity, nullptr, 56, 117, 101, 12},
      {C::kServer, nullptr, 167, 26, 125, 12},
      {C::kUser, nullptr, 167, 51, 126, 12},
      {C::kPassword, nullptr, 167, 75, 126, 12},
      {C::kSecure, "Verwende sichere Passwort Authentifizierung", 167, 91, 129,
       10},
      {C::kAutoCheck, "Automatische prufe f\xC3\xBCr neue E-Mails", 167, 106,
       129, 10},
      {C::kEvery, "jede", 179, 120, 18, 8},
      {C::kInterval, nullptr, 204, 119, 19, 12},
      {C::kSpin, nullptr, 224, 118, 10, 12},
      {C::kMinutes, "minuten", 240, 120, 25, 8},
      {C::kOk, "OK", 89, 138, 50, 14},
      {C::kCancel, "Abbruch", 166, 138, 50, 14},
  };
  for (const Row& row : rows) {
    QWidget* w = dialog.Control(row.control);
    ASSERT_NE(w, nullptr) << static_cast<int>(row.control);
    // Texts that do not fit in the font at hand widen their control.
    QRect want = QtAccountsDialog::DialogRect(row.x, row.y, row.w, row.h);
    EXPECT_EQ(w->pos(), want.topLeft()) << static_cast<int>(row.control);
    EXPECT_EQ(w->height(), want.height()) << static_cast<int>(row.control);
    EXPECT_GE(w->width(), want.width()) << static_cast<int>(row.control);
    EXPECT_LE(w->geometry().right(), dialog.width())
        << static_cast<int>(row.control);
    if (!row.text) {
      EXPECT_EQ(w->width(), want.width()) << static_cast<int>(row.control);
    }
    if (!row.text) continue;
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
    EXPECT_EQ(text.toStdString(), row.text);
  }
  // The static texts without identifiers.
  QStringList labels;
  for (QLabel* l : dialog.findChildren<QLabel*>()) labels << l->text();
  for (const char* t : {"POP3 Konten", "POP3 Server", "Username", "Passwort"}) {
    EXPECT_TRUE(labels.contains(QString::fromUtf8(t))) << t;
  }
  EXPECT_EQ(dialog.Control(C::kAdd)->toolTip(),
            QStringLiteral("Add POP3 Account"));
  EXPECT_EQ(dialog.Control(C::kDelete)->toolTip(),
            QStringLiteral("Delete selected account"));
  EXPECT_EQ(dialog.Control(C::kList)->toolTip(),
            QStringLiteral("List configured POP3 accounts"));
  EXPECT_TRUE(qobject_cast<QPushButton*>(dialog.Control(C::kOk))->isDefault());
  EXPECT_EQ(Edit(dialog, C::kPassword)->echoMode(), QLineEdit::Password);
  EXPECT_TRUE(Edit(dialog, C::kInterval)->isReadOnly());
  EXPECT_EQ(Edit(dialog, C::kServer)->maxLength(), 400);
  EXPECT_EQ(Edit(dialog, C::kInterval)->maxLength(), 3);
  // No account: every field disabled and empty.
  EXPECT_EQ(dialog.list()->count(), 0);
  for (C c : {C::kServer, C::kUser, C::kPassword, C::kInterval, C::kSecure,
              C::kEvery, C::kMinutes, C::kSpin, C::kSecurity}) {
    EXPECT_FALSE(dialog.Control(c)->isEnabled()) << static_cast<int>(c);
  }
}

TEST_F(AccountsDialogTest, AddEditStepAndSave) {
  QtAccountsDialog dialog(*settings, ui);
  dialog.show();
  Click(dialog.Control(C::kAdd));
  ASSERT_EQ(dialog.list()->count(), 1);
  EXPECT_EQ(dialog.list()->item(0)->text(),
            QStringLiteral("new account at new server 1"));
  EXPECT_EQ(dialog.list()->currentRow(), 0);
  EXPECT_TRUE(Box(dialog, C::kAutoCheck)->isChecked());
  EXPECT_EQ(Edit(dialog, C::kInterval)->text(), QStringLiteral("10"));

  // Typed text reaches the account and its list line.
  QLineEdit* user = Edit(dialog, C::kUser);
  user->selectAll();
  QTest::keyClicks(user, "user1");
  QLineEdit* server = Edit(dialog, C::kServer);
  server->selectAll();
  QTest::keyClicks(server, "127.0.0.1");
  QTest::keyClicks(Edit(dialog, C::kPassword), "secret");
  EXPECT_EQ(dialog.list()->item(0)->text(),
            QStringLiteral("user1 at 127.0.0.1"));

  // The interval moves only through the up-down control, within 10..180.
  QTest::keyClicks(Edit(dialog, C::kInterval), "7");
  EXPECT_EQ(Edit(dialog, C::kInterval)->text(), QStringLiteral("10"));
  Click(dialog.up_down()->down());
  EXPECT_EQ(Edit(dialog, C::kInterval)->text(), QStringLiteral("10"));
  for (int i = 0; i < 3; ++i) Click(dialog.up_down()->up());
  QTest::keyClick(Edit(dialog, C::kInterval), Qt::Key_Up);
  EXPECT_EQ(dialog.presenter().accounts()[0].check_interval, "14");
  for (int i = 0; i < 200; ++i) dialog.up_down()->Step(1);
  EXPECT_EQ(Edit(dialog, C::kInterval)->text(), QStringLiteral("180"));

  // Automatic checking off stores "0" and disables the interval controls;
  // on again stores "10".
  Click(Box(dialog, C::kAutoCheck));
  EXPECT_EQ(dialog.presenter().accounts()[0].check_interval, "0");
  for (C c : {C::kInterval, C::kSpin, C::kEvery, C::kMinutes}) {
    EXPECT_FALSE(dialog.Control(c)->isEnabled()) << static_cast<int>(c);
  }
  Click(Box(dialog, C::kAutoCheck));
  EXPECT_EQ(Edit(dialog, C::kInterval)->text(), QStringLiteral("10"));
  EXPECT_TRUE(dialog.Control(C::kSpin)->isEnabled());
  Click(dialog.up_down()->up());
  Click(Box(dialog, C::kSecure));
  // The security list, chosen by keyboard as a user would.
  auto* security = qobject_cast<QComboBox*>(dialog.Control(C::kSecurity));
  ASSERT_NE(security, nullptr);
  EXPECT_EQ(security->currentText(), QStringLiteral("Keine"));
  security->setFocus();
  QTest::keyClick(security, Qt::Key_Down);
  QTest::keyClick(security, Qt::Key_Down);
  EXPECT_EQ(security->currentText(), QStringLiteral("TLS"));

  // Nothing is stored before OK.
  EXPECT_EQ(store->AccountCount(), 0u);
  Click(dialog.Control(C::kOk));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  std::vector<MailAccount> saved = store->LoadAccounts();
  ASSERT_EQ(saved.size(), 1u);
  MailAccount expected{"127.0.0.1", "user1", "secret", "11", "1"};
  expected.security = MailSecurity::kTls;
  expected.port = 995;
  EXPECT_EQ(saved[0], expected);
}

TEST_F(AccountsDialogTest, SelectDeleteAndCancel) {
  store->SaveAccounts({{"pop.example.org", "anna", "pa", "15", "0"},
                       {"mail.example.net", "bert", "pb", "0", "1"}});
  store->WriteStats("1", "3 5120");
  {
    QtAccountsDialog dialog(*settings, ui);
    dialog.show();
    ASSERT_EQ(dialog.list()->count(), 2);
    EXPECT_EQ(dialog.list()->item(1)->text(),
              QStringLiteral("bert at mail.example.net"));
    EXPECT_EQ(Edit(dialog, C::kServer)->text(),
              QStringLiteral("pop.example.org"));
    EXPECT_EQ(Edit(dialog, C::kInterval)->text(), QStringLiteral("15"));
    // ZAN_PICTURE_DIR asks for a picture of the dialog (the README's).
    if (const char* dir = std::getenv("ZAN_PICTURE_DIR")) {
      QTest::qWait(50);
      EXPECT_TRUE(dialog.grab().save(QString::fromUtf8(dir) +
                                     QStringLiteral("/accounts-dialog.png")));
    }
    // A click on the second line shows it: automatic checking off.
    QListWidget* list = dialog.list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(Edit(dialog, C::kUser)->text(), QStringLiteral("bert"));
    EXPECT_FALSE(Box(dialog, C::kAutoCheck)->isChecked());
    EXPECT_TRUE(Box(dialog, C::kSecure)->isChecked());
    EXPECT_FALSE(dialog.Control(C::kInterval)->isEnabled());

    // Delete asks first (the presenter's rule); Yes takes the line away
    // and shows the one left.
    ui.answers = {MessageBoxAnswer::kYes};
    Click(dialog.Control(C::kDelete));
    ASSERT_EQ(ui.boxes.size(), 1u);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(Edit(dialog, C::kUser)->text(), QStringLiteral("anna"));

    // Escape cancels: nothing is written, the status values stay.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  EXPECT_EQ(store->AccountCount(), 2u);
  EXPECT_EQ(store->ReadStats("1").value_or(""), "3 5120");

  // Return is OK.
  {
    QtAccountsDialog dialog(*settings, ui);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
}

}  // namespace
}  // namespace zan
