#include "hosts/qt/qt_accounts_dialog.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>

#include "platform/ui.h"

namespace zan {
namespace {

// The average character cell of the classic 8-point dialog font.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QtUpDown::QtUpDown(QLineEdit* buddy, QWidget* parent)
    : QWidget(parent),
      buddy_(buddy),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up_, down_}) {
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
  }
  connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
  buddy_->installEventFilter(this);
}

void QtUpDown::resizeEvent(QResizeEvent*) {
  int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}

void QtUpDown::SetRange(int lowest, int highest) {
  lowest_ = std::min(lowest, highest);
  highest_ = std::max(lowest, highest);
}

void QtUpDown::Step(int delta) {
  if (!isEnabled()) return;
  bool ok = false;
  int value = buddy_->text().toInt(&ok);
  if (!ok) value = lowest_;
  value = std::clamp(value + delta, lowest_, highest_);
  QString text = QString::number(value);
  if (text != buddy_->text()) buddy_->setText(text);
}

bool QtUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == buddy_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
      Step(key->key() == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

QRect QtAccountsDialog::DialogRect(int x, int y, int width, int height) {
  return QRect(x * kBaseUnitX / 4, y * kBaseUnitY / 8, width * kBaseUnitX / 4,
               height * kBaseUnitY / 8);
}

QLabel* QtAccountsDialog::AddLabel(const char* text, QRect rect) {
  auto* label = new QLabel(QString::fromUtf8(text), this);
  label->setGeometry(rect);
  return label;
}

QLineEdit* QtAccountsDialog::AddEdit(QRect rect) {
  auto* edit = new QLineEdit(this);
  edit->setGeometry(rect);
  return edit;
}

QtAccountsDialog::QtAccountsDialog(const SettingsStore& settings, Ui& ui,
                                   QWidget* owner)
    : QDialog(owner), store_(settings) {
  setWindowTitle(QString::fromUtf8(MailAccountsPresenter::kCaption));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setModal(true);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setFamilies({QStringLiteral("MS Sans Serif"),
                    QStringLiteral("DejaVu Sans Condensed"),
                    QStringLiteral("DejaVu Sans")});
  // Narrow faces come closest to the classic font's metrics.
  font.setStretch(QFont::Condensed);
  font.setPixelSize(11);
  setFont(font);
  setFixedSize(DialogRect(0, 0, 313, 159).size());

  AddLabel("POP3 Konten", DialogRect(15, 17, 51, 8));
  add_ = new QPushButton(QStringLiteral("Hinzufugen"), this);
  add_->setGeometry(DialogRect(85, 15, 40, 11));
  delete_ = new QPushButton(QStringLiteral("Loschen"), this);
  delete_->setGeometry(DialogRect(130, 15, 40, 11));
  list_ = new QListWidget(this);
  list_->setGeometry(DialogRect(15, 27, 142, 102));
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);

  AddLabel("POP3 Server", DialogRect(167, 17, 42, 8));
  server_ = AddEdit(DialogRect(167, 26, 125, 12));
  AddLabel("Username", DialogRect(168, 42, 47, 8));
  user_ = AddEdit(DialogRect(167, 51, 126, 12));
  AddLabel("Passwort", DialogRect(168, 66, 32, 8));
  password_ = AddEdit(DialogRect(167, 75, 126, 12));
  password_->setEchoMode(QLineEdit::Password);
  secure_ = new QCheckBox(
      QStringLiteral("Verwende sichere Passwort Authentifizierung"), this);
  secure_->setGeometry(DialogRect(167, 91, 129, 10));
  auto_check_ = new QCheckBox(
      QString::fromUtf8("Automatische prufe f\xC3\xBCr neue E-Mails"), this);
  auto_check_->setGeometry(DialogRect(167, 106, 129, 10));
  every_ = AddLabel("jede", DialogRect(179, 120, 18, 8));
  interval_ = AddEdit(DialogRect(204, 119, 19, 12));
  interval_->setReadOnly(true);
  interval_->setAlignment(Qt::AlignRight);
  interval_->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9]*")), interval_));
  up_down_ = new QtUpDown(interval_, this);
  up_down_->setGeometry(DialogRect(224, 118, 10, 12));
  minutes_ = AddLabel("minuten", DialogRect(240, 120, 25, 8));

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setGeometry(DialogRect(89, 138, 50, 14));
  ok_->setDefault(true);
  ok_->setAutoDefault(true);
  cancel_ = new QPushButton(QStringLiteral("Abbruch"), this);
  cancel_->setGeometry(DialogRect(166, 138, 50, 14));
  cancel_->setAutoDefault(false);
  add_->setAutoDefault(false);
  delete_->setAutoDefault(false);

  // A text wider than its place in the template (fonts differ from the
  // classic dialog font) widens its control rather than being cut off.
  const int right = width() - 4;
  for (QWidget* w :
       std::initializer_list<QWidget*>{secure_, auto_check_, minutes_}) {
    int wanted = std::min(w->sizeHint().width(), right - w->x());
    if (wanted > w->width()) w->resize(wanted, w->height());
  }

  presenter_ = std::make_unique<MailAccountsPresenter>(store_, *this, ui);
  MailAccountsPresenter* p = presenter_.get();
  connect(add_, &QPushButton::clicked, this, [p] { p->OnAdd(); });
  connect(delete_, &QPushButton::clicked, this, [p] { p->OnDelete(); });
  connect(ok_, &QPushButton::clicked, this, [p] { p->OnOk(); });
  connect(cancel_, &QPushButton::clicked, this, [p] { p->OnCancel(); });
  connect(list_, &QListWidget::currentRowChanged, this,
          [p](int row) { p->OnSelectionChanged(row); });
  connect(server_, &QLineEdit::textChanged, this,
          [p](const QString& t) { p->OnServerChanged(t.toStdString()); });
  connect(user_, &QLineEdit::textChanged, this,
          [p](const QString& t) { p->OnUserChanged(t.toStdString()); });
  connect(password_, &QLineEdit::textChanged, this,
          [p](const QString& t) { p->OnPasswordChanged(t.toStdString()); });
  connect(interval_, &QLineEdit::textChanged, this,
          [p](const QString& t) { p->OnIntervalChanged(t.toStdString()); });
  connect(secure_, &QCheckBox::clicked, this,
          [p](bool checked) { p->OnSecureToggled(checked); });
  connect(auto_check_, &QCheckBox::clicked, this,
          [p](bool checked) { p->OnAutoCheckToggled(checked); });

  presenter_->OnInitDialog();
  // Centred over the owner, or over the screen without one.
  if (owner) {
    QPoint centre = owner->mapToGlobal(owner->rect().center());
    move(centre - rect().center());
  }
}

QtAccountsDialog::~QtAccountsDialog() = default;

QWidget* QtAccountsDialog::Control(AccountsControl control) const {
  using C = AccountsControl;
  switch (control) {
    case C::kOk:
      return ok_;
    case C::kCancel:
      return cancel_;
    case C::kList:
      return list_;
    case C::kAdd:
      return add_;
    case C::kDelete:
      return delete_;
    case C::kServer:
      return server_;
    case C::kUser:
      return user_;
    case C::kPassword:
      return password_;
    case C::kInterval:
      return interval_;
    case C::kSecure:
      return secure_;
    case C::kEvery:
      return every_;
    case C::kSpin:
      return up_down_;
    case C::kAutoCheck:
      return auto_check_;
    case C::kMinutes:
      return minutes_;
  }
  return nullptr;
}

// The list box tells about selection changes only when the user makes them.
void QtAccountsDialog::AppendLine(const std::string& text) {
  QSignalBlocker block(list_);
  list_->addItem(Text(text));
}

void QtAccountsDialog::ReplaceLine(int index, const std::string& text) {
  QSignalBlocker block(list_);
  if (QListWidgetItem* item = list_->item(index)) item->setText(Text(text));
}

void QtAccountsDialog::RemoveLine(int index) {
  QSignalBlocker block(list_);
  delete list_->takeItem(index);
}

void QtAccountsDialog::SelectLine(int index) {
  QSignalBlocker block(list_);
  if (index < 0 || index >= list_->count()) {
    list_->setCurrentRow(-1);
    list_->clearSelection();
  } else {
    list_->setCurrentRow(index);
  }
}

void QtAccountsDialog::SetText(AccountsControl control,
                               const std::string& text) {
  QWidget* w = Control(control);
  if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    edit->setText(Text(text));
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(Text(text));
  }
}

void QtAccountsDialog::SetTextLimit(AccountsControl control, int characters) {
  if (auto* edit = qobject_cast<QLineEdit*>(Control(control))) {
    edit->setMaxLength(characters);
  }
}

void QtAccountsDialog::SetSpinRange(int lowest, int highest) {
  up_down_->SetRange(lowest, highest);
}

void QtAccountsDialog::Enable(AccountsControl control, bool enabled) {
  if (QWidget* w = Control(control)) w->setEnabled(enabled);
}

void QtAccountsDialog::SetChecked(AccountsControl control, bool checked) {
  if (auto* box = qobject_cast<QCheckBox*>(Control(control))) {
    box->setChecked(checked);
  }
}

void QtAccountsDialog::AddTooltip(AccountsControl control,
                                  const std::string& text) {
  if (QWidget* w = Control(control)) w->setToolTip(Text(text));
}

void QtAccountsDialog::EndDialog(AccountsControl button) {
  ending_ = true;
  done(button == AccountsControl::kOk ? QDialog::Accepted : QDialog::Rejected);
  ending_ = false;
}

void QtAccountsDialog::reject() {
  // Escape and the close box cancel like the Abbruch button.
  if (ending_) {
    QDialog::reject();
    return;
  }
  presenter_->OnCancel();
}

void RunMailAccountsDialog(const SettingsStore& settings, Ui& ui,
                           QWidget* owner) {
  QtAccountsDialog dialog(settings, ui, owner);
  dialog.exec();
}

}  // namespace zan
