// The main window on Qt: it mirrors the controls of the window's behaviour
// into widgets and turns the user's input into handler calls.
#pragma once

#include <QMainWindow>
#include <map>
#include <vector>

#include "qt/WebEngineBrowser.h"
#include "shell/FormPrincipal.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolBar;
class QToolButton;

namespace sonavia::qt {

class EnterKeyObserver;
class InputBlocker;
class KeyboardPanel;
class KeyboardOrder;
class QtTranslations;
class ScanFrame;

class MainWindowView : public QMainWindow {
 public:
  MainWindowView();
  ~MainWindowView() override;

  WebEngineBrowser& Browser() { return *browser_; }
  // Builds the widgets from the window's controls and keeps them in step.
  void Bind(shell::TFormPrincipal& form);

  QToolBar* ButtonToolBar() const { return buttonBar_; }
  QToolButton* Button(const platform::Button* button) const;
  QAction* Action(const platform::MenuItem* item) const;
  KeyboardOrder& Keyboard() const { return *keyboard_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void Refresh();
  void BuildMenus();
  // The buttons, the logo and the scanning's frame and clicks.
  void BuildButtonBar();
  // The address box and the three edits, below the buttons.
  void BuildAddressBar();
  // The scanning keyboard, below the page, shown while it is open.
  void BuildKeyboardPanel();
  // The keys that reach every control, and the menu bar.
  void BuildKeyboardAccess();
  // The border of the focused edit, in a colour that stands out (3:1 at
  // least) on the desktop's theme, light or dark.
  void ShowFocusBorders();

  shell::TFormPrincipal* form_ = nullptr;
  InputBlocker* blocker_ = nullptr;
  EnterKeyObserver* enterKeys_ = nullptr;
  WebEngineBrowser* browser_;
  QToolBar* buttonBar_ = nullptr;
  QToolBar* addressBar_ = nullptr;
  QComboBox* address_ = nullptr;
  std::map<const platform::Edit*, QLineEdit*> edits_;
  QLabel* status_ = nullptr;
  QLabel* soundStatus_ = nullptr;
  QLabel* logo_ = nullptr;
  ScanFrame* scanFrame_ = nullptr;
  QToolBar* keyboardBar_ = nullptr;
  KeyboardPanel* keyboardPanel_ = nullptr;
  KeyboardOrder* keyboard_ = nullptr;
  QtTranslations* translations_ = nullptr;
  std::map<const platform::MenuItem*, QAction*> actions_;
  std::map<const platform::Button*, QToolButton*> buttons_;
  bool closing_ = false;
};

}  // namespace sonavia::qt
