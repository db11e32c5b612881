#ifndef ZAN_HOSTS_QT_QT_ACCOUNTS_DIALOG_H_
#define ZAN_HOSTS_QT_QT_ACCOUNTS_DIALOG_H_

#include <QDialog>
#include <memory>
#include <string>

#include "mail/mail_account_store.h"
#include "mail/mail_accounts_presenter.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace zan {

class Ui;

// The up-down control beside the interval edit: two arrow buttons that step
// the number in their buddy edit within a range; the Up and Down keys in
// the buddy do the same.
class QtUpDown : public QWidget {
  Q_OBJECT

 public:
  QtUpDown(QLineEdit* buddy, QWidget* parent);
  void SetRange(int lowest, int highest);
  // Adds `delta` to the buddy's number, kept within the range.
  void Step(int delta);
  QToolButton* up() const { return up_; }
  QToolButton* down() const { return down_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLineEdit* buddy_;
  QToolButton* up_;
  QToolButton* down_;
  int lowest_ = 0;
  int highest_ = 100;
};

// The modal dialog "POP3 Konten Konfigurieren": list of accounts, the
// fields of the selected one, add, delete, OK and cancel. Its widgets are
// placed in dialog units of the classic 8-point dialog font; the presenter
// decides what they show.
class QtAccountsDialog : public QDialog, public MailAccountsView {
  Q_OBJECT

 public:
  // Loads the accounts of `settings`.
  QtAccountsDialog(const SettingsStore& settings, Ui& ui,
                   QWidget* owner = nullptr);
  ~QtAccountsDialog() override;

  // The widget of a control, by its identifier; null for unknown ones.
  QWidget* Control(AccountsControl control) const;
  QListWidget* list() const { return list_; }
  QtUpDown* up_down() const { return up_down_; }
  MailAccountsPresenter& presenter() { return *presenter_; }

  // MailAccountsView:
  void AppendLine(const std::string& text) override;
  void ReplaceLine(int index, const std::string& text) override;
  void RemoveLine(int index) override;
  void SelectLine(int index) override;
  void SetText(AccountsControl control, const std::string& text) override;
  void SetTextLimit(AccountsControl control, int characters) override;
  void SetSpinRange(int lowest, int highest) override;
  void Enable(AccountsControl control, bool enabled) override;
  void SetChecked(AccountsControl control, bool checked) override;
  void AddChoice(AccountsControl control, const std::string& text) override;
  void SetChoice(AccountsControl control, int index) override;
  void AddTooltip(AccountsControl control, const std::string& text) override;
  void EndDialog(AccountsControl button) override;

  // Dialog units to pixels for the dialog font (4 x 8 units per average
  // character cell).
  static QRect DialogRect(int x, int y, int width, int height);

 public Q_SLOTS:
  void reject() override;

 private:
  QLabel* AddLabel(const char* text, QRect rect);
  QLineEdit* AddEdit(QRect rect);

  MailAccountStore store_;
  QListWidget* list_ = nullptr;
  QLineEdit* server_ = nullptr;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QLineEdit* interval_ = nullptr;
  QCheckBox* secure_ = nullptr;
  QCheckBox* auto_check_ = nullptr;
  QLabel* security_label_ = nullptr;
  QComboBox* security_ = nullptr;
  QLabel* every_ = nullptr;
  QLabel* minutes_ = nullptr;
  QtUpDown* up_down_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool ending_ = false;
  std::unique_ptr<MailAccountsPresenter> presenter_;
};

// Shows the dialog modally over `owner` and returns when it is closed.
void RunMailAccountsDialog(const SettingsStore& settings, Ui& ui,
                           QWidget* owner);

}  // namespace zan

#endif  // ZAN_HOSTS_QT_QT_ACCOUNTS_DIALOG_H_
