// The input and desktop seams on Qt.
#pragma once

#include <QCursor>
#include <QDesktopServices>
#include <QMainWindow>
#include <QUrl>

#include "platform/Desktop.h"
#include "platform/Input.h"
#include "qt/QtText.h"
#include "qt/SynthesizedInput.h"
#include "qt/WebEngineBrowser.h"

namespace sonavia::qt {

class QtInput : public platform::Input {
 public:
  // `window` is the main window whose client area the points are in; the
  // area begins below its menu bar.
  explicit QtInput(WebEngineBrowser& browser, QMainWindow* window = nullptr)
      : browser_(browser), window_(window) {}
  void PressKey(int virtualKey) override {
    SendSynthesizedKey(QtKeyForVirtualKey(virtualKey), browser_.View()->focusProxy());
  }
  // The page gets the keyboard focus as a click would give it, but sees no
  // click: one the program makes must not pass for the user's, which lets
  // a page open windows and take other steps only a user may start.
  void ClickPage(int, int) override {
    QWidget* target = browser_.View()->focusProxy();
    if (target == nullptr) target = browser_.View();
    target->setFocus(Qt::MouseFocusReason);
  }
  void ClickWindow(platform::Point client) override {
    if (window_ == nullptr) return;
    const QPoint point = ClientOrigin() + QPoint(client.x, client.y);
    QWidget* target = window_->childAt(point);
    if (target == nullptr) target = window_;
    SendClick(target, target->mapFrom(window_, point));
  }
  int BrowserTop() override {
    if (window_ == nullptr) return 0;
    return browser_.View()->mapTo(window_, QPoint(0, 0)).y() - ClientOrigin().y();
  }
  platform::Point ClientToScreen(platform::Point client) override {
    if (window_ == nullptr) return client;
    const QPoint global = window_->mapToGlobal(ClientOrigin() + QPoint(client.x, client.y));
    return {global.x(), global.y()};
  }
  platform::Point CursorPos() override {
    const QPoint pos = QCursor::pos();
    return {pos.x(), pos.y()};
  }
  void SetCursorPos(platform::Point screen) override { QCursor::setPos(screen.x, screen.y); }

 private:
  QPoint ClientOrigin() const {
    QWidget* menu = window_->menuWidget();
    return QPoint(0, menu != nullptr && menu->isVisible() ? menu->height() : 0);
  }
  WebEngineBrowser& browser_;
  QMainWindow* window_;
};

class QtDesktop : public platform::Desktop {
 public:
  void OpenWebPage(const std::string& address) override {
    QDesktopServices::openUrl(QUrl(FromCore(address)));
  }
};

}  // namespace sonavia::qt
