#ifndef ZAN_HOSTS_QT_QT_TOOLBAR_OBJECT_H_
#define ZAN_HOSTS_QT_QT_TOOLBAR_OBJECT_H_

#include <QJsonObject>
#include <QObject>
#include <QString>

#include "commands/client_side_property.h"

class QWebChannel;
class QWebEnginePage;

namespace zan {

class Registry;

// The toolbar's scriptable object as pages reach it: script calls
// CreateToolbarObject("RYX.ZAN") (or "RYX.ZAN.1"), which answers null while
// the class is not registered, and then SetClientSideProperty(name, value)
// on the object it got. The calls travel over a Qt WebChannel to this
// object, which stores the property where "%csp(" reads it.
class QtToolbarObject : public QObject {
  Q_OBJECT

 public:
  explicit QtToolbarObject(Registry& registry, QObject* parent = nullptr);

  // Whether script may create the object by `prog_id`: one of the class's
  // two ProgIDs, registered under the classes root.
  Q_INVOKABLE bool IsCreatable(const QString& prog_id) const;
  // Each argument comes as {t: typeof value, v: value}; objects arrive as
  // their text. Returns false, storing nothing, when an argument has no
  // text (null) or the class is not registered.
  Q_INVOKABLE bool SetClientSideProperty(const QJsonObject& name,
                                         const QJsonObject& value);

  // The argument as a script handed it over.
  static PropertyArgument ArgumentOf(const QJsonObject& wrapped);

  int calls() const { return calls_; }

 private:
  Registry& registry_;
  int calls_ = 0;
};

// Gives `page` a channel that carries `object` to its script, and the
// script that defines CreateToolbarObject in every document of the page.
// The channel belongs to the page.
void AttachToolbarObject(QWebEnginePage* page, QtToolbarObject* object);

}  // namespace zan

#endif  // ZAN_HOSTS_QT_QT_TOOLBAR_OBJECT_H_
