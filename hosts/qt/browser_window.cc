#include "hosts/qt/browser_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLinearGradient>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWebEngineHttpRequest>
#include <QWebEngineView>
#include <sstream>

#include "browser/adjust_color.h"
#include "browser/band_object.h"
#include "browser/command_ids.h"
#include "browser/toolbar_window.h"
#include "definition/toolbar_model.h"
#include "hosts/qt/browser_app.h"
#include "hosts/qt/browser_chrome.h"
#include "hosts/qt/qt_geometry.h"
#include "hosts/qt/qt_html_document.h"
#include "hosts/qt/qt_menu_popup.h"
#include "hosts/qt/qt_toolbar_object.h"
#include "hosts/qt/qt_toolbar_view.h"
#include "hosts/qt/qt_ui.h"
#include "hosts/qt/zan_web_page.h"
#include "mail/mail_checker.h"
#include "mail/mail_toolbar.h"
#include "settings/product_constants.h"

namespace zan {
namespace {

// The strip of the window that holds the toolbar band: a soft gradient of
// the button face with a line below.
class BandArea : public QWidget {
 public:
  explicit BandArea(QWidget* parent) : QWidget(parent) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    Color f = FromQ(palette().color(QPalette::Button));
    Color top = AdjustColor(f, 60, 0), bottom = AdjustColor(f, -4, 0);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, ToQ(top));
    g.setColorAt(1, ToQ(bottom));
    p.fillRect(rect(), g);
    Color line = AdjustColor(f, -20, 0);
    p.setPen(ToQ(line));
    p.drawLine(0, height() - 1, width(), height() - 1);
    // The gripper of the band.
    Color dot = AdjustColor(f, -35, 0);
    for (int y = 6; y < height() - 6; y += 4) {
      p.fillRect(3, y, 2, 2, ToQ(dot));
    }
  }
};

QByteArray QJsonDocumentQuote(const std::string& text) {
  QJsonDocument doc(QJsonArray{QString::fromStdString(text)});
  QByteArray array = doc.toJson(QJsonDocument::Compact);
  return array.mid(1, array.size() - 2);
}

const char* KindName(ToolbarItem* item) {
  if (!item) return "?";
  switch (item->GetKind()) {
    case ItemKind::kText:
      return "TEXT";
    case ItemKind::kCombo:
      return "COMBO";
    case ItemKind::kButton:
      return "BUTTON";
    case ItemKind::kWebPage:
      return "WEBPAGE";
    case ItemKind::kSeparator:
      return "SEPARATOR";
    case ItemKind::kIndicator:
      return "INDICATOR";
  }
  return "?";
}

}  // namespace

BrowserWindow::BrowserWindow(BrowserApp& app) : app_(app) {
  setAttribute(Qt::WA_DeleteOnClose);
  resize(1180, 720);
  setWindowTitle(QStringLiteral("ZAN"));

  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  band_widget_ = new BandArea(central);
  auto* band_row = new QHBoxLayout(band_widget_);
  band_row->setContentsMargins(10, 3, 4, 4);
  toolbar_view_ = new QtToolbarView(band_widget_, app_.profile());
  // The panes' pages open new windows as the page does.
  toolbar_view_->set_pane_window_creator(
      [this](QWebEnginePage::WebWindowType type) { return CreatePopup(type); });
  band_row->addWidget(toolbar_view_);
  column->addWidget(band_widget_);

  page_ = new ZanWebPage(app_.profile(), this);
  AttachToolbarObject(page_, app_.toolbar_object());
  view_ = new QWebEngineView(central);
  view_->setPage(page_);
  column->addWidget(view_, 1);
  chrome_ = new BrowserChrome(*this, app_, column);
  setCentralWidget(central);
  // Focus that leaves the toolbar goes to the page.
  setFocusProxy(view_);
  statusBar()->setSizeGripEnabled(false);

  ToolbarHooks hooks = app_.MakeHooks(*this);
  toolbar_ = std::make_unique<ToolbarWindow>(
      *toolbar_view_, app_.environment(), app_.resources(), std::move(hooks));
  toolbar_->SetBrowser(this);
  toolbar_->EnableMail(app_.mail_services());
  toolbar_->SetToolbarExtension(app_.toolbar_extension());
  band_ = std::make_unique<BandObject>(*toolbar_, app_.settings(), [] {
    return (QGuiApplication::keyboardModifiers() & Qt::ControlModifier) != 0;
  });

  page_->set_window_creator(
      [this](QWebEnginePage::WebWindowType type) { return CreatePopup(type); });
  page_->set_navigation_filter(
      [this](const QUrl&, QWebEnginePage::NavigationType, bool main_frame) {
        // A navigation of the page itself names no target frame.
        if (main_frame && toolbar_active()) {
          return !band_->BeforeNavigate2(std::nullopt);
        }
        return true;
      });
  connect(page_, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
    if (toolbar_active()) band_->NavigateComplete2();
    Q_EMIT navigateComplete(url);
  });
  connect(page_, &QWebEnginePage::loadStarted, this,
          [this] { page_loaded_ = false; });
  connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
    page_loaded_ = true;
    if (toolbar_active()) {
      band_->DownloadComplete(true);
      band_->DocumentComplete(true);
    }
    Q_EMIT pageLoadFinished(ok);
  });
  connect(page_, &QWebEnginePage::titleChanged, this, [this](const QString& t) {
    setWindowTitle(t.isEmpty() ? QStringLiteral("ZAN")
                               : t + QStringLiteral(" - ZAN"));
  });
  connect(page_, &QWebEnginePage::linkHovered, this,
          [this](const QString& url) { statusBar()->showMessage(url); });
}

BrowserWindow::~BrowserWindow() {
  if (band_ && !quit_sent_) band_->OnQuit();
  band_.reset();
  document_.reset();
  toolbar_.reset();
}

void BrowserWindow::Start(const QUrl& url) {
  // The page goes first: the toolbar is assembled once the page's load has
  // started, so that the web engine's processes fetch and lay out the page
  // while this thread builds the toolbar, and the panes load once the page
  // has loaded.
  if (!url.isEmpty()) {
    assembly_waits_ = true;
    toolbar_view_->pane_gate().Hold();
    auto assemble = [this] {
      if (!assembly_waits_) return;
      assembly_waits_ = false;
      if (band_shown_) StartToolbarOnce();
    };
    connect(page_, &QWebEnginePage::loadStarted, this, assemble,
            Qt::SingleShotConnection);
    connect(
        page_, &QWebEnginePage::loadFinished, this,
        [this, assemble](bool) {
          assemble();
          toolbar_view_->pane_gate().Open();
        },
        Qt::SingleShotConnection);
    view_->load(url);
  }
  if (app_.ToolbarWanted()) {
    ShowBar(ToolbarClassId(), true);
  } else {
    band_widget_->setVisible(false);
    statusBar()->showMessage(QStringLiteral(
        "The ZAN toolbar is not registered: run zan-browser --register"));
  }
}

void BrowserWindow::StartToolbarOnce() {
  if (assembled_) return;
  assembled_ = true;
  toolbar_->StartToolbar(false);
  Q_EMIT toolbarAssembled();
}

void BrowserWindow::DropToolbarLater() {
  QPointer<BrowserWindow> guard(this);
  QMetaObject::invokeMethod(
      this,
      [guard] {
        if (!guard || guard->dropped_) return;
        guard->dropped_ = true;
        guard->band_widget_->setVisible(false);
        guard->band_shown_ = false;
        if (guard->toolbar_) guard->toolbar_->DropToolbar();
      },
      Qt::QueuedConnection);
}

void BrowserWindow::PostToolbarMessage(unsigned message) {
  QPointer<BrowserWindow> guard(this);
  QMetaObject::invokeMethod(
      this,
      [guard, message] {
        if (!guard || !guard->toolbar_) return;
        MailChecker* checker = guard->toolbar_->mail_checker();
        if (message == kRefreshIndicatorsMessage && checker) {
          checker->RefreshIndicators();
        }
      },
      Qt::QueuedConnection);
}

QUrl BrowserWindow::ResolveUrl(const std::string& url) const {
  return ResolveSiteUrl(url);
}

void BrowserWindow::LoadInPage(const QUrl& url, const std::string& post_data,
                               const std::string& headers) {
  QWebEngineHttpRequest request(url);
  if (!post_data.empty()) {
    request.setMethod(QWebEngineHttpRequest::Post);
    request.setPostData(
        QByteArray(post_data.data(), static_cast<qsizetype>(post_data.size())));
  }
  std::istringstream lines(headers);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) continue;
    std::string name = line.substr(0, colon);
    std::string value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') value.erase(0, 1);
    request.setHeader(QByteArray::fromStdString(name),
                      QByteArray::fromStdString(value));
  }
  page_->load(request);
}

void BrowserWindow::Navigate(const std::string& url,
                             const std::string& target_frame,
                             const std::string& post_data,
                             const std::string& headers) {
  if (toolbar_active() &&
      band_->BeforeNavigate2(std::string_view(target_frame))) {
    statusBar()->showMessage(QStringLiteral("A new window was blocked."), 4000);
    ++blocked_popups_;
    return;
  }
  QUrl target_url = ResolveUrl(url);
  if (target_frame == "_blank") {
    BrowserWindow* window = app_.NewWindow(QUrl());
    window->LoadInPage(target_url, post_data, headers);
    return;
  }
  if (!target_frame.empty() && target_frame != "_self" &&
      target_frame != "_top" && target_frame != "_parent" &&
      target_frame != "_main" && post_data.empty()) {
    // A named frame of the page takes the address when it exists.
    QVariant found = RunJavaScriptAndWait(
        page_,
        QStringLiteral("(function(n,u){var w=window.frames[n];"
                       "if(!w)return false;w.location.href=u;return true;})"
                       "(%1,%2)")
            .arg(QString::fromUtf8(QJsonDocumentQuote(target_frame)),
                 QString::fromUtf8(
                     QJsonDocumentQuote(target_url.toString().toStdString()))));
    if (found.toBool()) return;
  }
  LoadInPage(target_url, post_data, headers);
}

void BrowserWindow::ShowBar(const std::string&, bool show) {
  // A dropped toolbar stays away.
  if (dropped_) show = false;
  // A window opened without the band builds its toolbar when the band is
  // first shown.
  if (show && !assembly_waits_) StartToolbarOnce();
  band_widget_->setVisible(show);
  band_shown_ = show;
  if (band_) band_->ShowDW(show);
}

void BrowserWindow::SetStatusText(const std::string& text) {
  if (text.empty()) {
    statusBar()->clearMessage();
  } else {
    statusBar()->showMessage(QString::fromStdString(text));
  }
}

std::string BrowserWindow::status_text() const {
  return statusBar()->currentMessage().toStdString();
}

void BrowserWindow::Quit() { close(); }

HtmlDocument* BrowserWindow::GetCurrentDocument() {
  if (!page_ || page_->url().isEmpty()) return nullptr;
  // One document object for the window's life: it reads the page as it is
  // at each call, and callers may hold it across calls.
  if (document_) return document_.get();
  document_ = std::make_unique<QtHtmlDocument>(
      page_, std::vector<int>{},
      [this](const std::string& url, const std::string& features) {
        OpenModalDialog(url, features);
      });
  return document_.get();
}

void BrowserWindow::OpenModalDialog(const std::string& url,
                                    const std::string& features) {
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("zan-browser"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* view = new QWebEngineView(&dialog);
  view->setPage(new QWebEnginePage(app_.profile(), view));
  layout->addWidget(view);
  dialog.resize(ModalDialogSize(features, QSize(420, 320)));
  view->load(ResolveUrl(url));
  dialog.exec();
}

QWebEnginePage* BrowserWindow::CreatePopup(int) {
  if (toolbar_active() && band_->NewWindow2()) {
    ++blocked_popups_;
    statusBar()->showMessage(QStringLiteral("A popup window was blocked."),
                             4000);
    return nullptr;
  }
  BrowserWindow* window = app_.NewWindow(QUrl());
  return window->page();
}

void BrowserWindow::closeEvent(QCloseEvent* event) {
  if (band_ && !quit_sent_) {
    quit_sent_ = true;
    band_->OnQuit();
  }
  QMainWindow::closeEvent(event);
}

std::string BrowserWindow::ToolbarListing() const {
  std::ostringstream out;
  ToolbarModel* model = toolbar_ ? toolbar_->GetModel() : nullptr;
  for (int i = 0; i < toolbar_view_->ButtonCount(); ++i) {
    int id = toolbar_view_->ButtonCommand(i);
    ToolbarItem* item = nullptr;
    if (model && i < static_cast<int>(model->items.size())) {
      item = model->items[static_cast<size_t>(i)].get();
    }
    int state = toolbar_view_->GetButtonState(id);
    auto rect = toolbar_view_->GetItemRect(i);
    char flags[32];
    std::snprintf(flags, sizeof flags, "0x%02X\t0x%02X", state & 0xFF,
                  toolbar_view_->ButtonStyle(i) & 0xFF);
    out << id << '\t' << KindName(item) << '\t' << toolbar_view_->ButtonText(i)
        << '\t' << toolbar_view_->ButtonImage(i) << '\t' << flags << '\t'
        << (rect ? rect->Width() : 0) << '\t'
        << ((state & kStateHidden) ? 1 : 0) << '\n';
  }
  return out.str();
}

void BrowserWindow::OpenMenuOf(int item_index) {
  // The menu runs its own loop; start it from the event loop so that the
  // caller goes on.
  QMetaObject::invokeMethod(
      this,
      [this, item_index] {
        toolbar_view_->ClickButton(ButtonCommandId(item_index), true);
      },
      Qt::QueuedConnection);
}

QImage BrowserWindow::Snapshot() {
  QImage image = grab().toImage();
  QtMenuPopup* menu = toolbar_view_->ActiveMenu();
  QPainter p(&image);
  for (QtMenuPopup* m = menu; m; m = m->OpenSubmenu()) {
    if (!m->isVisible()) break;
    QPoint at = mapFromGlobal(m->mapToGlobal(QPoint(0, 0)));
    QImage shot = m->grab().toImage();
    // A soft shadow under the menu.
    for (int i = 1; i <= 4; ++i) {
      p.fillRect(QRect(at + QPoint(i, i), shot.size()), QColor(0, 0, 0, 14));
    }
    p.drawImage(at, shot);
  }
  return image;
}

}  // namespace zan
