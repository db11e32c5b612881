#include "hosts/qt/browser_chrome.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEngineView>
#include <functional>
#include <utility>
#include <vector>

#include "browser/address_input.h"
#include "browser/current_search.h"
#include "browser/download_naming.h"
#include "browser/zoom_steps.h"
#include "hosts/qt/browser_app.h"
#include "hosts/qt/browser_profile.h"
#include "hosts/qt/browser_window.h"
#include "hosts/qt/download_manager.h"
#include "hosts/qt/find_bar.h"
#include "hosts/qt/home_page.h"
#include "hosts/qt/navigation_bar.h"
#include "hosts/qt/zan_web_page.h"

namespace zan {

BrowserChrome::BrowserChrome(BrowserWindow& window, BrowserApp& app,
                             QVBoxLayout* column)
    : QObject(&window), window_(window), app_(app) {
  QWebEnginePage* page = window_.page();
  navigation_ = new NavigationBar(page, column->parentWidget());
  column->insertWidget(0, navigation_);
  find_ = new FindBar(page, column->parentWidget());
  column->addWidget(find_);

  connect(navigation_->address_bar(), &AddressBar::addressEntered, this,
          &BrowserChrome::Go);
  connect(navigation_, &NavigationBar::homeClicked, this,
          &BrowserChrome::GoHome);
  connect(navigation_, &NavigationBar::homeChosen, this,
          [this](const QUrl& url) { app_.home_page().Set(url); });
  connect(page, &QWebEnginePage::loadStarted, this,
          [this] { escape_->setEnabled(true); });
  connect(page, &QWebEnginePage::loadFinished, this,
          [this] { escape_->setEnabled(false); });
  connect(page, &QWebEnginePage::loadingChanged, this,
          [this, page](const QWebEngineLoadingInfo& info) {
            if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
              return;
            }
            QUrl fallback = fallback_;
            fallback_.clear();
            // A typed name whose secure server cannot be reached: the plain
            // one. Never after a certificate error or a stop.
            if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus &&
                info.errorDomain() ==
                    QWebEngineLoadingInfo::ConnectionErrorDomain &&
                !fallback.isEmpty() && info.url().host() == fallback.host()) {
              page->load(fallback);
            }
          });
  connect(page, &QWebEnginePage::pdfPrintingFinished, this,
          [this](const QString& path, bool ok) {
            window_.statusBar()->showMessage(
                ok ? QStringLiteral("Saved as PDF: ") + path
                   : QStringLiteral("The PDF could not be written: ") + path,
                6000);
            Q_EMIT pdfWritten(path, ok);
          });

  notice_ = new QLabel(&window_);
  notice_->setTextFormat(Qt::RichText);
  notice_->setVisible(false);
  connect(notice_, &QLabel::linkActivated, this, [this] {
    QDesktopServices::openUrl(QUrl::fromLocalFile(app_.downloads().folder()));
  });
  window_.statusBar()->addPermanentWidget(notice_);
  DownloadManager& downloads = app_.downloads();
  connect(
      &downloads, &DownloadManager::progress, this,
      [this, page](QWebEnginePage* from, const QString& name, int percent) {
        if (from != page) return;
        ShowDownload(
            percent >= 0
                ? QStringLiteral("Downloading %1 (%2%)")
                      .arg(name.toHtmlEscaped())
                      .arg(percent)
                : QStringLiteral("Downloading %1").arg(name.toHtmlEscaped()),
            false);
      });
  connect(&downloads, &DownloadManager::finished, this,
          [this, page](QWebEnginePage* from, const QString& name,
                       const QString&, bool ok) {
            if (from != page) return;
            ShowDownload(
                ok ? QStringLiteral("Downloaded %1").arg(name.toHtmlEscaped())
                   : QStringLiteral("Download of %1 failed")
                         .arg(name.toHtmlEscaped()),
                true);
          });
  AddShortcuts();
}

void BrowserChrome::ShowDownload(const QString& text, bool with_link) {
  notice_->setText(
      with_link
          ? text + QStringLiteral(" &mdash; <a href=\"folder\">Open folder</a>")
          : text);
  notice_->setVisible(true);
}

QShortcut* BrowserChrome::AddShortcut(const QKeySequence& keys,
                                      std::function<void()> action) {
  auto* shortcut = new QShortcut(keys, &window_);
  shortcut->setContext(Qt::WindowShortcut);
  connect(shortcut, &QShortcut::activated, this, std::move(action));
  return shortcut;
}

void BrowserChrome::AddShortcuts() {
  auto focus_address = [this] { navigation_->address_bar()->FocusAndSelect(); };
  auto back = [this] { window_.page()->triggerAction(QWebEnginePage::Back); };
  auto forward = [this] {
    window_.page()->triggerAction(QWebEnginePage::Forward);
  };
  auto reload = [this] {
    window_.page()->triggerAction(QWebEnginePage::Reload);
  };
  auto hard_reload = [this] {
    window_.page()->triggerAction(QWebEnginePage::ReloadAndBypassCache);
  };
  auto new_window = [this] { app_.NewWindow(app_.home_page().Url()); };
  auto close = [this] { window_.close(); };
  auto find = [this] { find_->Open(); };
  auto find_next = [this] { find_->FindNext(); };
  auto find_previous = [this] { find_->FindPrevious(); };
  auto zoom_in = [this] { Zoom(1); };
  auto zoom_out = [this] { Zoom(-1); };
  auto zoom_reset = [this] { Zoom(0); };
  auto print = [this] { PrintToPdf(); };
  std::vector<std::pair<const char*, std::function<void()>>> keys = {
      {"Ctrl+L", focus_address},   {"Alt+D", focus_address},
      {"F6", focus_address},       {"Alt+Left", back},
      {"Alt+Right", forward},      {"F5", reload},
      {"Ctrl+R", reload},          {"Ctrl+F5", hard_reload},
      {"Shift+F5", hard_reload},   {"Ctrl+Shift+R", hard_reload},
      {"Ctrl+N", new_window},      {"Ctrl+W", close},
      {"Ctrl+F4", close},          {"Ctrl+F", find},
      {"F3", find_next},           {"Ctrl+G", find_next},
      {"Shift+F3", find_previous}, {"Ctrl+Shift+G", find_previous},
      {"Ctrl++", zoom_in},         {"Ctrl+=", zoom_in},
      {"Ctrl+Shift+=", zoom_in},   {"Ctrl+-", zoom_out},
      {"Ctrl+0", zoom_reset},      {"Ctrl+P", print},
  };
  for (auto& [text, action] : keys) {
    AddShortcut(QKeySequence(QString::fromLatin1(text)), std::move(action));
  }
  // Esc stops a load; otherwise it stays with the page and the boxes.
  escape_ = AddShortcut(QKeySequence(Qt::Key_Escape), [this] { OnEscape(); });
  escape_->setEnabled(false);
}

void BrowserChrome::OnEscape() {
  QWidget* focus = QApplication::focusWidget();
  if (focus && find_->isAncestorOf(focus)) find_->Close();
  window_.page()->triggerAction(QWebEnginePage::Stop);
}

void BrowserChrome::Go(const QString& typed) {
  AddressInput input = ClassifyAddressInput(typed.toStdString());
  AddressBar* bar = navigation_->address_bar();
  switch (input.kind) {
    case AddressKind::kNothing:
      bar->ShowUrl(window_.page()->url());
      return;
    case AddressKind::kAddress:
      fallback_ = QUrl(QString::fromStdString(input.fallback_url));
      window_.page()->load(QUrl(QString::fromStdString(input.url)));
      break;
    case AddressKind::kSearch:
      fallback_.clear();
      if (!window_.toolbar() ||
          !SearchWithToolbar(*window_.toolbar(), input.words)) {
        window_.statusBar()->showMessage(
            QStringLiteral("There is no search to run: the toolbar has none."),
            5000);
        return;
      }
      break;
  }
  window_.web_view()->setFocus(Qt::OtherFocusReason);
}

void BrowserChrome::GoHome() { window_.page()->load(app_.home_page().Url()); }

void BrowserChrome::Zoom(int step) {
  QWebEngineView* view = window_.web_view();
  double factor = step == 0 ? 1.0 : NextZoomFactor(view->zoomFactor(), step);
  view->setZoomFactor(factor);
  window_.statusBar()->showMessage(
      QStringLiteral("Zoom: %1%").arg(ZoomPercent(factor)), 3000);
}

void BrowserChrome::PrintToPdf() {
  QString title = window_.page()->title();
  std::string name = SafeDownloadName(title.isEmpty() ? std::string("page")
                                                      : title.toStdString());
  QFileDialog dialog(&window_, QStringLiteral("Save the page as PDF"),
                     DownloadFolder(), QStringLiteral("PDF files (*.pdf)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.selectFile(QString::fromStdString(name) + QStringLiteral(".pdf"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return;
  }
  window_.page()->printToPdf(dialog.selectedFiles().front());
}

}  // namespace zan
