// A site that asks for a name and a password (HTTP authentication) asks
// through one window of ours, in Catalan and worked from the keyboard: its
// fields and buttons named, Escape to cancel. Each site and realm is asked
// once: cancelled, its page is read as the server sends it, and what else
// the page loads from behind the password asks nothing more. Never two
// such windows at once: a request that comes while one is open is refused.
#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <functional>

class QAuthenticator;
class QUrl;
class QWidget;

namespace sonavia::qt {

inline constexpr const char* kPasswordWindowTitle = "Contrasenya";

class PasswordWindow : public QObject {
 public:
  // `owner` gives the window it opens over; `open` is told true each time
  // it opens, before it takes the keyboard, and false when it closes.
  PasswordWindow(std::function<QWidget*()> owner, std::function<void(bool open)> open,
                 QObject* parent = nullptr);

  // Fills `authenticator` with what the user types, or leaves it empty,
  // which refuses the request.
  void Ask(const QUrl& address, QAuthenticator* authenticator);

 private:
  std::function<QWidget*()> owner_;
  std::function<void(bool)> opened_;
  QSet<QString> cancelled_;  // sites and realms
  bool open_ = false;
};

}  // namespace sonavia::qt
