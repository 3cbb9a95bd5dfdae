// What the engine would ask the user and nobody can answer for our users:
// a password or a certificate is refused, and the page fails as any other.
// The program has one window: what a link or the user's action would open
// in a new one opens here, so the user hears it; a popup that the page
// opens by itself is refused.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWebEnginePage;

namespace sonavia::qt {

class EnginePolicy : public QObject {
 public:
  // Tells the user that a page could not be opened, and why.
  using Failed = std::function<void(const QString& address, const QString& reason)>;

  // Applies to `page`, whose child it becomes.
  EnginePolicy(QWebEnginePage* page, Failed failed);
};

}  // namespace sonavia::qt
