#include "hosts/qt/qt_toolbar_object.h"

#include <QFile>
#include <QJsonValue>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <cmath>
#include <limits>

#include "platform/registry.h"
#include "settings/settings_store.h"
#include "settings/toolbar_registration.h"

namespace zan {
namespace {

constexpr char kObjectName[] = "zanToolbarObject";

// Defines CreateToolbarObject once the channel is up; calls made before
// that wait in a queue. Every argument travels with its script type, so
// that an omitted argument and null stay apart.
constexpr char kBootstrap[] = R"JS(
(function () {
  if (window.CreateToolbarObject || typeof qt === 'undefined') return;
  var target = null, queue = [];
  function run(f) { if (target) f(target); else queue.push(f); }
  new QWebChannel(qt.webChannelTransport, function (channel) {
    target = channel.objects.zanToolbarObject;
    var waiting = queue; queue = [];
    waiting.forEach(function (f) { f(target); });
  });
  function wrap(x) {
    var t = typeof x;
    if (t === 'undefined') return {t: t};
    if (x === null) return {t: 'null', v: null};
    if (t === 'boolean' || t === 'number' || t === 'string') return {t: t, v: x};
    if (t === 'bigint') return {t: 'string', v: x.toString()};
    return {t: 'string', v: String(x)};
  }
  function ToolbarObject() {}
  ToolbarObject.prototype.SetClientSideProperty = function (name, value) {
    var n = wrap(name), v = wrap(value);
    return new Promise(function (resolve) {
      run(function (o) { o.SetClientSideProperty(n, v, resolve); });
    });
  };
  window.CreateToolbarObject = function (progId) {
    return new Promise(function (resolve) {
      run(function (o) {
        o.IsCreatable(String(progId), function (ok) {
          resolve(ok ? new ToolbarObject() : null);
        });
      });
    });
  };
})();
)JS";

QString ChannelLibrary() {
  QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

}  // namespace

QtToolbarObject::QtToolbarObject(Registry& registry, QObject* parent)
    : QObject(parent), registry_(registry) {}

bool QtToolbarObject::IsCreatable(const QString& prog_id) const {
  return IsToolbarClassCreatable(registry_, prog_id.toStdString());
}

PropertyArgument QtToolbarObject::ArgumentOf(const QJsonObject& wrapped) {
  const QString type = wrapped.value(QLatin1String("t")).toString();
  const QJsonValue v = wrapped.value(QLatin1String("v"));
  if (type == QLatin1String("undefined")) return std::monostate{};
  if (type == QLatin1String("null") || v.isNull()) return nullptr;
  if (v.isBool()) return v.toBool();
  if (v.isDouble()) {
    double d = v.toDouble();
    // Whole numbers within the exact range of a double are integers.
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.007e15) {
      return static_cast<int64_t>(d);
    }
    return d;
  }
  if (v.isString()) return v.toString().toStdString();
  return std::monostate{};
}

bool QtToolbarObject::SetClientSideProperty(const QJsonObject& name,
                                            const QJsonObject& value) {
  ++calls_;
  // Script that talks to the channel directly gets no further than script
  // that creates the object: nothing while the class is not registered.
  if (!IsCreatable(QStringLiteral("RYX.ZAN"))) return false;
  return zan::SetClientSideProperty(SettingsStore(registry_), ArgumentOf(name),
                                    ArgumentOf(value));
}

void AttachToolbarObject(QWebEnginePage* page, QtToolbarObject* object) {
  auto* channel = new QWebChannel(page);
  channel->registerObject(QString::fromLatin1(kObjectName), object);
  page->setWebChannel(channel, QWebEngineScript::MainWorld);
  QWebEngineScript script;
  script.setName(QStringLiteral("zan-toolbar-object"));
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::MainWorld);
  script.setRunsOnSubFrames(false);
  script.setSourceCode(ChannelLibrary() + QString::fromLatin1(kBootstrap));
  page->scripts().insert(script);
}

}  // namespace zan
