// What the engine would ask the user and nobody can answer for our users:
// a certificate is refused, and the page fails as any other. A password is
// asked in a window of ours.
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

class QAuthenticator;
class QUrl;
class QWebEnginePage;

namespace sonavia::qt {

class EnginePolicy : public QObject {
 public:
  // Asks the user the name and password a site wants, filling
  // `authenticator`, or leaving it empty to refuse.
  using Password = std::function<void(const QUrl& address, QAuthenticator* authenticator)>;

  // Tells that the page asked for something and was refused.
  using Refused = std::function<void(shell::PageAsk ask)>;

  // Applies to `page`, whose child it becomes.
  EnginePolicy(QWebEnginePage* page, Password password, Refused refused);
};

}  // namespace sonavia::qt
