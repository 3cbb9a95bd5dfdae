// The window worked from the keyboard alone, without taking any key that
// the page needs (Tab and Shift+Tab stay the page's):
//  - Ctrl+Tab moves the keyboard on, in a fixed order, from the page to the
//    address box, the three edits, each toolbar button shown and enabled,
//    the logo, and the page again; Ctrl+Shift+Tab moves it back. A button
//    or the logo with the keyboard wears a frame, and Space presses it,
//    handing the keyboard back to the page as a click leaves it there.
//  - Alt pressed and released alone, or F10, opens the menu bar.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QAction;
class QMenuBar;
class QWidget;

namespace sonavia::qt {

class KeyboardFrame;

class KeyboardOrder : public QObject {
 public:
  struct Stop {
    QWidget* widget;
    // What Space does there; none for an edit or the page.
    std::function<void()> press;
  };
  // `page` is the browser's view; `moving` is told when the keyboard
  // starts and stops moving between the window's own controls.
  KeyboardOrder(QWidget* window, QWidget* page, std::vector<Stop> stops,
                std::function<void(bool)> moving);

  void Next() { Move(true); }
  void Previous() { Move(false); }
  // The widget that has the keyboard now, as a stop: the page for any
  // part of the browser's view.
  QWidget* Current() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Move(bool forward);
  bool Reachable(QWidget* widget) const;
  void FocusPage();

  QPointer<QWidget> page_;
  std::vector<Stop> stops_;
  std::function<void(bool)> moving_;
  KeyboardFrame* frame_ = nullptr;
};

// Alt alone (pressed and released with nothing between) opens the menu bar
// on its first menu, as F10 does.
class MenuBarKeys : public QObject {
 public:
  MenuBarKeys(QWidget* window, QMenuBar* bar);
  void Open();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  QMenuBar* bar_;
  bool altAlone_ = false;
};

}  // namespace sonavia::qt
