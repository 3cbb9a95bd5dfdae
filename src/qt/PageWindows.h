// The windows a page opens and that take the keyboard: the file chooser
// (the program's own, in Catalan, worked from the keyboard), the engine's
// colour picker and its pop-ups (a calendar, a list). Each is told as it
// opens; the program's keys (the function keys and the window's Ctrl
// shortcuts) keep working in them; and they close when the page is left
// or the window closes. The colour picker, modal as the engine opens it,
// is made not modal, so that the main window and its close stay usable.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWebEnginePage>
#include <functional>
#include <vector>

#include "shell/BrowserComponent.h"
#include "shell/UserIntent.h"

class QKeyEvent;
class QWebEngineView;
class QWidget;

namespace sonavia::qt {

class PageWindows : public QObject {
 public:
  using Opened = std::function<void(shell::PageWindowKind kind)>;

  PageWindows(QWebEngineView* view, shell::UserIntent& intent, Opened opened, QObject* parent);

  // The page's file chooser: the files chosen, or none when the user
  // closes it, leaves the page, or pressed nothing that could have asked
  // for it.
  QStringList ChooseFiles(QWebEnginePage::FileSelectionMode mode, const QStringList& oldFiles,
                          const QStringList& acceptedMimeTypes);
  // Closes every window the page opened, as Escape would.
  void CloseAll();
  // How many are open.
  int Open();

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  // The kind of page window `widget` is, when it is one.
  bool IsPageWindow(QWidget* widget) const;
  void Shown(QWidget* widget);
  // A program key pressed in a page window: runs its command.
  bool RunProgramKey(const QKeyEvent* key);

  QPointer<QWebEngineView> view_;
  shell::UserIntent& intent_;
  Opened opened_;
  std::vector<QPointer<QWidget>> open_;
};

}  // namespace sonavia::qt
