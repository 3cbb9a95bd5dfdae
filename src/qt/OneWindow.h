// One window reads with one settings file. A later start on the same file
// finds the first one's local socket, asks it to come forward and ends;
// the first says so itself, over its own reading, so that two voices never
// speak over each other. A socket left by a program that was killed
// answers nobody and is taken over.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

namespace sonavia::qt {

class OneWindow : public QObject {
 public:
  // The socket's name for the settings file at `settingsPath`, in the
  // user's runtime folder.
  static QString SocketName(const QString& settingsPath);

  // Listens on `name`, unless another program already does; then that one
  // has been asked to come forward.
  explicit OneWindow(const QString& name, QObject* parent = nullptr);
  ~OneWindow() override;
  OneWindow(const OneWindow&) = delete;
  OneWindow& operator=(const OneWindow&) = delete;

  // Whether another program reads with these settings already.
  bool Elsewhere() const { return elsewhere_; }
  // Run when a later start asks this window to come forward.
  void SetOnAsked(std::function<void()> asked) { asked_ = std::move(asked); }

 private:
  QLocalServer* server_ = nullptr;
  bool elsewhere_ = false;
  std::function<void()> asked_;
};

}  // namespace sonavia::qt
