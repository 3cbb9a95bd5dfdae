// The window-list seam on Qt: the program's own visible top-level widgets.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <map>

#include "platform/WindowList.h"
#include "qt/QtText.h"

namespace sonavia::qt {

// A message window's answering key, as a Windows virtual key, set by whoever
// shows it.
inline constexpr const char* kAnswerKeyProperty = "sonaviaAnswerKey";
// Set on the program's own windows, whose captions a page may fill.
inline constexpr const char* kOwnWindowProperty = "sonaviaOwnWindow";

class QtWindowList : public platform::WindowList {
 public:
  std::vector<platform::WindowInfo> TopLevelWindows() override;
  void BringToTop(platform::WindowHandle window) override;

 private:
  platform::WindowHandle HandleOf(QWidget* widget);
  std::map<platform::WindowHandle, QPointer<QWidget>> known_;
  platform::WindowHandle next_ = 1;
};

}  // namespace sonavia::qt
