// What the engine would ask the user and nobody can answer for our users:
// a password or a certificate is refused, and the page fails as any other.
// The program has one window: what a link or the user's action would open
// in a new one opens here, so the user hears it; a popup that the page
// opens by itself is refused. What a page asks of the machine (the
// location, notifications, the camera, the microphone, the screen, its
// files) is refused at once and told.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "shell/BrowserComponent.h"

class QWebEnginePage;

namespace sonavia::qt {

class EnginePolicy : public QObject {
 public:
  // Tells the user that a page could not be opened, and why.
  using Failed = std::function<void(const QString& address, const QString& reason)>;

  // Tells that the page asked for something and was refused.
  using Refused = std::function<void(shell::PageAsk ask)>;

  // Applies to `page`, whose child it becomes.
  EnginePolicy(QWebEnginePage* page, Failed failed, Refused refused);
};

}  // namespace sonavia::qt
