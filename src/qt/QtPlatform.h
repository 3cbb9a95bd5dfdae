// The input and desktop seams on Qt.
#pragma once

#include <QDesktopServices>
#include <QUrl>

#include "platform/Desktop.h"
#include "platform/Input.h"
#include "qt/Input.h"
#include "qt/QtText.h"
#include "qt/WebEngineBrowser.h"

namespace sonavia::qt {

class QtInput : public platform::Input {
 public:
  explicit QtInput(WebEngineBrowser& browser) : browser_(browser) {}
  void PressKey(int virtualKey) override {
    SendSynthesizedKey(QtKeyForVirtualKey(virtualKey), browser_.View()->focusProxy());
  }
  void ClickPage(int x, int y) override {
    QWidget* target = browser_.View()->focusProxy();
    if (target == nullptr) target = browser_.View();
    SendClick(target, QPoint(x, y));
  }

 private:
  WebEngineBrowser& browser_;
};

class QtDesktop : public platform::Desktop {
 public:
  void OpenWebPage(const std::string& address) override {
    QDesktopServices::openUrl(QUrl(FromCp1252(address)));
  }
};

}  // namespace sonavia::qt
