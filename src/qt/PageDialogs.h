// A page's own dialogs (alert, confirm, prompt, and the engine's question
// before leaving a page) as message windows of the program: not modal, so
// that the main window stays usable and the watchdog can find and answer
// them; within the limit of how many a page may open.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/EventLoop.h"
#include "shell/PageDialogLimit.h"

namespace sonavia::qt {

class PageDialogs {
 public:
  enum class Kind { Alert, Confirm, Prompt, Leave };

  // `owner` gives the window that the dialogs belong to.
  PageDialogs(platform::EventLoop& loop, std::function<QWidget*()> owner)
      : limit_(loop), owner_(std::move(owner)) {}

  // Shows a dialog and waits for its answer; `text` carries a prompt's
  // text in and its answer out. Past the limit, answers at once: an alert
  // or the question before leaving with yes, the others with no.
  bool Run(Kind kind, const QString& message, QString* text);
  // Told when a dialog begins and ends waiting for the user.
  void SetWaiting(std::function<void(bool)> waiting) { waiting_ = std::move(waiting); }
  // A new page began loading: its dialogs count afresh.
  void NewPage() { limit_.NewPage(); }
  // Answers every open dialog with its cancelling answer.
  void CloseAll();

 private:
  shell::PageDialogLimit limit_;
  std::function<QWidget*()> owner_;
  std::vector<QPointer<QWidget>> open_;
  std::function<void(bool)> waiting_;
};

}  // namespace sonavia::qt
