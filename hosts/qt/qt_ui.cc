#include "hosts/qt/qt_ui.h"

#include <QMessageBox>
#include <iostream>

namespace zan {

MessageBoxAnswer CautiousAnswer(MessageBoxButtons buttons) {
  switch (buttons) {
    case MessageBoxButtons::kOk:
      return MessageBoxAnswer::kOk;
    case MessageBoxButtons::kOkCancel:
    case MessageBoxButtons::kYesNoCancel:
      return MessageBoxAnswer::kCancel;
    case MessageBoxButtons::kYesNo:
      return MessageBoxAnswer::kNo;
  }
  return MessageBoxAnswer::kCancel;
}

MessageBoxAnswer QtUi::ShowMessageBox(const std::string& text,
                                      const std::string& caption,
                                      MessageBoxButtons buttons,
                                      MessageBoxIcon icon) {
  shown_.push_back(caption + ": " + text);
  if (unattended_) {
    std::cerr << "[" << caption << "] " << text << "\n";
    return CautiousAnswer(buttons);
  }
  QMessageBox box;
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  switch (icon) {
    case MessageBoxIcon::kNone:
      box.setIcon(QMessageBox::NoIcon);
      break;
    case MessageBoxIcon::kInformation:
      box.setIcon(QMessageBox::Information);
      break;
    case MessageBoxIcon::kWarning:
      box.setIcon(QMessageBox::Warning);
      break;
    case MessageBoxIcon::kError:
      box.setIcon(QMessageBox::Critical);
      break;
    case MessageBoxIcon::kQuestion:
      box.setIcon(QMessageBox::Question);
      break;
  }
  switch (buttons) {
    case MessageBoxButtons::kOk:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MessageBoxButtons::kOkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MessageBoxButtons::kYesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case MessageBoxButtons::kYesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No |
                             QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Ok:
      return MessageBoxAnswer::kOk;
    case QMessageBox::Yes:
      return MessageBoxAnswer::kYes;
    case QMessageBox::No:
      return MessageBoxAnswer::kNo;
    default:
      return buttons == MessageBoxButtons::kOk ? MessageBoxAnswer::kOk
                                               : MessageBoxAnswer::kCancel;
  }
}

}  // namespace zan
