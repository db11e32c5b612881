#include "hosts/qt/qt_html_document.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimer>
#include <QWebEngineView>

namespace zan {
namespace {

QString JsString(const std::string& text) {
  QJsonDocument doc(QJsonArray{QString::fromStdString(text)});
  QString array = QString::fromUtf8(doc.toJson(QJsonDocument::Compact));
  return array.mid(1, array.size() - 2);
}

// Wraps whole-word, case-insensitive matches of a word in the text nodes of
// a document's body, each in a span of its own. Text inside marks of an
// earlier run is searched too, so a word searched twice is wrapped twice.
// Text that is not page content (scripts, styles, form fields, the title)
// is left alone. Returns false without a body.
const char kHighlightScript[] = R"JS(
(function (d, word, style, id) {
  if (!d || !d.body) return false;
  if (!word) return true;
  var wordChar = /[\p{L}\p{N}_]/u;
  var pattern = new RegExp(word.replace(/[.*+?^${}()|[\]\\\/]/g, '\\$&'),
                           'giu');
  var skip = /^(SCRIPT|STYLE|NOSCRIPT|TEXTAREA|TITLE|OPTION|SELECT|TEMPLATE)$/;
  var walker = d.createTreeWalker(d.body, NodeFilter.SHOW_TEXT, null);
  var nodes = [];
  for (var n = walker.nextNode(); n; n = walker.nextNode()) {
    var p = n.parentNode;
    if (p && skip.test(p.nodeName.toUpperCase())) continue;
    // Text of drawings (SVG) cannot hold an HTML span.
    if (p && p.namespaceURI && p.namespaceURI !== 'http://www.w3.org/1999/xhtml')
      continue;
    nodes.push(n);
  }
  nodes.forEach(function (node) {
    var text = node.nodeValue, parts = [], m;
    pattern.lastIndex = 0;
    while ((m = pattern.exec(text)) !== null) {
      var at = m.index, end = at + m[0].length;
      if (!m[0].length) { pattern.lastIndex = at + 1; continue; }
      var before = at > 0 ? text.charAt(at - 1) : '';
      var after = text.charAt(end);
      if ((before && wordChar.test(before)) || (after && wordChar.test(after))) {
        pattern.lastIndex = at + 1;
        continue;
      }
      parts.push([at, end]);
    }
    if (!parts.length) return;
    var frag = d.createDocumentFragment(), last = 0;
    parts.forEach(function (r) {
      if (r[0] > last) frag.appendChild(d.createTextNode(text.slice(last, r[0])));
      var span = d.createElement('span');
      span.id = id;
      span.setAttribute('style', style);
      span.textContent = word === ' ' ? '\u00A0' : text.slice(r[0], r[1]);
      frag.appendChild(span);
      last = r[1];
    });
    if (last < text.length) frag.appendChild(d.createTextNode(text.slice(last)));
    node.parentNode.replaceChild(frag, node);
  });
  return true;
})
)JS";

const char kClearScript[] = R"JS(
(function (d, id) {
  if (!d || !d.body) return;
  // Collected first: unwrapping changes the live collections.
  var spans = Array.prototype.slice.call(d.getElementsByTagName('*'))
      .filter(function (e) {
        return e.id === id && e.tagName.toUpperCase() === 'SPAN';
      });
  var parents = [];
  spans.forEach(function (s) {
    var parent = s.parentNode;
    if (!parent) return;
    while (s.firstChild) parent.insertBefore(s.firstChild, s);
    parent.removeChild(s);
    parents.push(parent);
  });
  parents.forEach(function (p) { if (p.isConnected) p.normalize(); });
})
)JS";

}  // namespace

QVariant RunJavaScriptAndWait(QWebEnginePage* page, const QString& script,
                              int timeout_ms) {
  if (!page) return QVariant();
  QVariant result;
  bool done = false;
  QEventLoop loop;
  QPointer<QEventLoop> guard(&loop);
  auto alive = std::make_shared<bool>(true);
  page->runJavaScript(script,
                      [&result, &done, guard, alive](const QVariant& v) {
                        if (!*alive) return;
                        result = v;
                        done = true;
                        if (guard) guard->quit();
                      });
  QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
  if (!done) loop.exec(QEventLoop::ExcludeUserInputEvents);
  *alive = false;
  return result;
}

QSize ModalDialogSize(const std::string& features, QSize fallback) {
  QSize size = fallback;
  QString text = QString::fromStdString(features);
  static const QRegularExpression re(
      QStringLiteral("dialog(Width|Height)\\s*[:=]\\s*(\\d+)"),
      QRegularExpression::CaseInsensitiveOption);
  for (auto it = re.globalMatch(text); it.hasNext();) {
    auto m = it.next();
    int v = m.captured(2).toInt();
    if (v <= 0) continue;
    if (m.captured(1).compare("Width", Qt::CaseInsensitive) == 0) {
      size.setWidth(v);
    } else {
      size.setHeight(v);
    }
  }
  return size;
}

QtHtmlDocument::QtHtmlDocument(QWebEnginePage* page,
                               std::vector<int> frame_path,
                               ModalDialogOpener open_dialog)
    : page_(page),
      frame_path_(std::move(frame_path)),
      open_dialog_(std::move(open_dialog)) {}

QString QtHtmlDocument::DocumentExpression() const {
  QString expr = QStringLiteral("document");
  for (int i : frame_path_) {
    expr = QStringLiteral(
               "(function(d){try{var w=d&&d.defaultView.frames[%1];"
               "return w?w.document:null;}catch(e){return null;}})(%2)")
               .arg(i)
               .arg(expr);
  }
  return expr;
}

QVariant QtHtmlDocument::Run(const QString& body) {
  return RunJavaScriptAndWait(page_, body);
}

std::optional<std::string> QtHtmlDocument::GetUrl() {
  if (!page_) return std::nullopt;
  // The address as the document has it: every escape kept, so that a
  // receiver that decodes once gets this very address back.
  if (frame_path_.empty()) return page_->url().toEncoded().toStdString();
  QVariant v =
      Run(QStringLiteral("(function(d){return d?d.location.href:null;})(%1)")
              .arg(DocumentExpression()));
  if (!v.isValid() || v.isNull()) return std::nullopt;
  return v.toString().toStdString();
}

std::optional<std::string> QtHtmlDocument::GetDomain() {
  if (!page_) return std::nullopt;
  if (frame_path_.empty()) return page_->url().host().toStdString();
  QVariant v = Run(QStringLiteral("(function(d){return d?d.domain:null;})(%1)")
                       .arg(DocumentExpression()));
  if (!v.isValid() || v.isNull()) return std::nullopt;
  return v.toString().toStdString();
}

int QtHtmlDocument::GetFrameCount() {
  QVariant v =
      Run(QStringLiteral(
              "(function(d){return d?d.defaultView.frames.length:0;})(%1)")
              .arg(DocumentExpression()));
  return v.isValid() ? v.toInt() : 0;
}

HtmlDocument* QtHtmlDocument::GetFrame(int index) {
  if (index < 0 || index >= GetFrameCount()) return nullptr;
  auto& slot = frames_[index];
  if (!slot) {
    std::vector<int> path = frame_path_;
    path.push_back(index);
    slot = std::make_unique<QtHtmlDocument>(page_, path, open_dialog_);
  }
  return slot.get();
}

bool QtHtmlDocument::HighlightWord(const std::string& word,
                                   const std::string& style,
                                   const std::string& id) {
  QVariant v = Run(QString::fromUtf8(kHighlightScript) +
                   QStringLiteral("(%1, %2, %3, %4)")
                       .arg(DocumentExpression(), JsString(word),
                            JsString(style), JsString(id)));
  return v.toBool();
}

void QtHtmlDocument::ClearHighlights(const std::string& id) {
  Run(QString::fromUtf8(kClearScript) +
      QStringLiteral("(%1, %2)").arg(DocumentExpression(), JsString(id)));
}

void QtHtmlDocument::ShowModalDialog(const std::string& url,
                                     const std::string& features) {
  if (open_dialog_) open_dialog_(url, features);
}

void QtHtmlDocument::Focus() {
  if (!page_) return;
  if (QWidget* view = QWebEngineView::forPage(page_)) view->setFocus();
}

}  // namespace zan
