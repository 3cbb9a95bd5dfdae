#include "qt/MainWindowView.h"
#include "qt/QtWindowList.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "platform/VirtualKeys.h"
#include "qt/AccessibleNames.h"
#include "qt/InputFilters.h"
#include "qt/KeyboardAccess.h"
#include "qt/KeyboardPanel.h"
#include "qt/OpenFileDialog.h"
#include "qt/QtText.h"
#include "qt/QtTranslations.h"
#include "qt/SwitchWayBack.h"
#include "qt/ToolBarScan.h"

// The pictures are compiled into this library; a static library's
// resources must be named to be kept.
static void InitResources() {
  Q_INIT_RESOURCE(resources);
}

namespace sonavia::qt {

MainWindowView::MainWindowView() : browser_((InitResources(), new WebEngineBrowser(this))) {
  setObjectName(QStringLiteral("FinestraPrincipal"));
  setProperty(kOwnWindowProperty, true);
  setCentralWidget(browser_->View());
  setWindowIcon(QIcon(QStringLiteral(":/sonavia.svg")));
  // The desktop's font and size throughout: nothing here sets its own.
  blocker_ = new InputBlocker(this);
  translations_ = new QtTranslations(this);
}

MainWindowView::~MainWindowView() {
  if (form_ != nullptr) {
    form_->FormDestroy();
    form_->OnStateChanged = nullptr;
    form_->OnCloseRequested = nullptr;
    form_->OpenFileDialog.OnExecute = nullptr;
  }
}

QToolButton* MainWindowView::Button(const platform::Button* button) const {
  const auto it = buttons_.find(button);
  return it == buttons_.end() ? nullptr : it->second;
}

QAction* MainWindowView::Action(const platform::MenuItem* item) const {
  const auto it = actions_.find(item);
  return it == actions_.end() ? nullptr : it->second;
}

void MainWindowView::Bind(shell::TFormPrincipal& form) {
  form_ = &form;
  BuildMenus();
  BuildButtonBar();
  addToolBarBreak();
  BuildAddressBar();
  BuildKeyboardPanel();
  statusBar()->setObjectName(QStringLiteral("BarraEstat"));
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("StatusBar1"));
  statusBar()->addWidget(status_, 1);
  // The sound panel at the right, apart from the browser's texts that come
  // and go; shown only while it has something to say.
  soundStatus_ = new QLabel(this);
  soundStatus_->setObjectName(QStringLiteral("StatusBarSo"));
  soundStatus_->setVisible(false);
  statusBar()->addPermanentWidget(soundStatus_);
  statusBar()->setSizeGripEnabled(false);
  statusBar()->setMinimumHeight(19);
  auto refresh = [this] { Refresh(); };
  form.OnStateChanged = refresh;
  for (const auto& menu : form.Menus()) {
    menu.title->OnStateChanged = refresh;
    for (auto* item : menu.items) item->OnStateChanged = refresh;
  }
  for (auto* button : form.ToolbarButtons()) button->OnStateChanged = refresh;
  for (auto& [edit, widget] : edits_) const_cast<platform::Edit*>(edit)->OnStateChanged = refresh;
  form.cboAddress.OnStateChanged = refresh;
  form.StatusBar1.OnStateChanged = refresh;
  form.ImageQuelva2000.OnStateChanged = refresh;
  form.StatusBarSo.OnStateChanged = refresh;
  form.OnCloseRequested = [this] { close(); };
  browser_->View()->setObjectName(QStringLiteral("brwWebBrowser"));
  NameForAccessibility(this);
  ShowFocusBorders();
  BuildKeyboardAccess();
  form.PageHasKeyboard = [this] { return keyboard_->Current() == browser_->View(); };
  // A menu command's key pressed while the window takes no input (a page
  // announced) runs when it takes input again.
  blocker_->SetOnHeldKey([this](const QKeyEvent& key) {
    const QKeySequence pressed(key.keyCombination());
    for (auto& [item, action] : actions_) {
      if (!action->isSeparator() && action->shortcut() == pressed) {
        form_->KeepForLater(*const_cast<platform::MenuItem*>(item));
        return;
      }
    }
  });
  enterKeys_ = new EnterKeyObserver(this, [this] {
    // On the scanning keyboard's keys Enter presses the key.
    if (keyboardPanel_->isAncestorOf(QApplication::focusWidget())) return false;
    return form_ != nullptr && form_->ApplicationEvents1Message(platform::kReturnKey);
  });
  new SwitchWayBackFilter(
      this, {[this] { return form_ != nullptr && !form_->mnuEscaneig.Checked(); },
             [this] { form_->FormSwitchDown(); }, [this] { form_->FormSwitchMoved(); },
             [this] { return form_->FormSwitchUp(); }});
  form.OpenFileDialog.OnExecute = [this](const platform::OpenDialog& open) {
    return RunOpenDialog(this, open);
  };
  Refresh();
}

void MainWindowView::ShowFocusBorders() {
  if (address_ == nullptr) return;
  // Where the keyboard is must show: a thick border on the focused edit, in
  // dark blue, or on a dark theme the colour that stands out most from both
  // the toolbar and the edit. Set on the edits themselves: a style sheet on
  // the toolbar would give it margins, and the address box must start at
  // the window's left edge.
  const QColor around = palette().color(QPalette::Window);
  const QColor inside = palette().color(QPalette::Base);
  auto least = [&](QColor c) {
    return std::min(OutlineFrame::Contrast(c, around), OutlineFrame::Contrast(c, inside));
  };
  QColor border(0x00, 0x33, 0xaa);
  if (least(border) < 3.0) {
    for (QColor other : {QColor(0xff, 0xd4, 0x00), QColor(Qt::white), QColor(Qt::black)}) {
      if (least(other) > least(border)) border = other;
    }
  }
  const QString focusFrame =
      QStringLiteral("QComboBox:focus, QLineEdit:focus { border: 3px solid %1; }")
          .arg(border.name());
  if (address_->styleSheet() == focusFrame) return;
  address_->setStyleSheet(focusFrame);
  for (auto& [edit, widget] : edits_) widget->setStyleSheet(focusFrame);
}

void MainWindowView::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) {
    ShowFocusBorders();
  }
}

void MainWindowView::BuildMenus() {
  menuBar()->setObjectName(QStringLiteral("BarraMenus"));
  for (const auto& menu : form_->Menus()) {
    if (menu.items.empty()) {
      // A menu bar item without a submenu runs its command directly.
      QAction* action = menuBar()->addAction(FromCore(menu.title->Caption()));
      connect(action, &QAction::triggered, this, [item = menu.title] { item->Click(); });
      actions_[menu.title] = action;
      continue;
    }
    QMenu* submenu = menuBar()->addMenu(FromCore(menu.title->Caption()));
    actions_[menu.title] = submenu->menuAction();
    for (platform::MenuItem* item : menu.items) {
      QAction* action;
      if (item->Caption() == "-") {
        // The minus key on a separator runs no command: it stays with the
        // focused control, so "-" can still be typed into an address.
        action = submenu->addSeparator();
      } else {
        action = submenu->addAction(FromCore(item->Caption()));
        action->setCheckable(form_->Checkable(*item));
        connect(action, &QAction::triggered, this, [this, item] {
          item->Click();
          Refresh();  // the check mark is the behaviour's to set
        });
      }
      action->setObjectName(QString::fromStdString(item->Name()));
      // Shortcuts work wherever the main window has the keyboard; those
      // that leave the page, from its own dialogs too, so that a page
      // opening them in a loop never keeps the user on it.
      addAction(action);
      if (item == &form_->menuRecarregar || item == &form_->mnuEndarrera ||
          item == &form_->mnuEndavant || item == &form_->MenuEscriureDirectamentUnaAdesa) {
        action->setShortcutContext(Qt::ApplicationShortcut);
      }
      actions_[item] = action;
    }
  }
}

void MainWindowView::Refresh() {
  if (form_ == nullptr) return;
  setWindowTitle(FromCore(form_->Caption()));
  blocker_->SetBlocking(!form_->Enabled());
  setAcceptDrops(form_->AcceptsDrops());
  for (auto& [item, action] : actions_) {
    action->setEnabled(item->Enabled());
    action->setVisible(item->Visible());
    if (action->isCheckable()) action->setChecked(item->Checked());
    if (action->isSeparator()) continue;
    action->setText(FromCore(item->Caption()));
    // Setting a shortcut registers it anew; only a changed one is set.
    const QKeySequence shortcut(FromCore(item->Shortcut()));
    if (action->shortcut() != shortcut) action->setShortcut(shortcut);
  }
  for (auto& [button, widget] : buttons_) {
    widget->setText(FromCore(button->Caption()));
    widget->setEnabled(button->Enabled());
    widget->setVisible(button->Visible());
    // One that goes while the switch holds it down (the second cycle's
    // places take its room) comes back up.
    if (!button->Visible() && widget->isDown()) widget->setDown(false);
    widget->setToolTip(FromCore(button->Hint()));
  }
  logo_->setToolTip(FromCore(form_->ImageQuelva2000.Hint()));
  logo_->setHidden(!form_->ImageQuelva2000.Visible());
  // The frame goes on the scanned index among the buttons shown.
  QWidget* framed = nullptr;
  int index = form_->Scan.FramedIndex();
  for (const platform::Button* button : form_->ToolbarButtons()) {
    if (button->Visible() && index-- == 0) {
      framed = buttons_.at(button);
      break;
    }
  }
  scanFrame_->Follow(framed);
  keyboardBar_->setVisible(form_->Keyboard.Open());
  keyboardPanel_->Refresh(form_->mnuEscaneig.Checked() && form_->Keyboard.Scanned());
  const QString text = FromCore(form_->cboAddress.Text());
  if (address_->currentText() != text) {
    const QSignalBlocker block(address_);
    address_->setEditText(text);
  }
  const auto& items = form_->cboAddress.Items();
  if (address_->count() != static_cast<int>(items.size())) {
    const QSignalBlocker block(address_);
    address_->clear();
    for (const auto& item : items) address_->addItem(FromCore(item));
    address_->setEditText(text);
  }
  for (auto& [edit, widget] : edits_) {
    const QString value = FromCore(edit->Text());
    if (widget->text() != value) widget->setText(value);
    widget->setEnabled(edit->Enabled());
    widget->setToolTip(FromCore(edit->Hint()));
  }
  // A status text is shown, and offered to a screen reader, while there is one.
  status_->setText(FromCore(form_->StatusBar1.Text()));
  status_->setVisible(!form_->StatusBar1.Text().empty());
  translations_->Use(form_->mnuCastella.Checked());
  soundStatus_->setText(FromCore(form_->StatusBarSo.Text()));
  soundStatus_->setVisible(!form_->StatusBarSo.Text().empty());
}

void MainWindowView::BuildKeyboardAccess() {
  std::vector<KeyboardOrder::Stop> stops = {{address_, nullptr}};
  for (auto* edit : {&form_->EditVelocitat, &form_->TextDecimesScan, &form_->TextTimerParo})
    stops.push_back({edits_.at(edit), nullptr});
  for (platform::Button* button : form_->ToolbarButtons())
    stops.push_back({buttons_.at(button), [button] { button->Click(); }});
  stops.push_back({logo_, [this] { form_->ImageQuelva2000.Click(); }});
  keyboard_ = new KeyboardOrder(this, browser_->View(), std::move(stops),
                                [this](bool moving) { form_->SetKeyboardMoving(moving); });
  struct Key {
    const char* name;
    QList<QKeySequence> keys;
    void (KeyboardOrder::*move)();
  };
  const Key keys[] = {
      {"TeclatSeguent", {QKeySequence(Qt::CTRL | Qt::Key_Tab)}, &KeyboardOrder::Next},
      {"TeclatAnterior",
       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)},
       &KeyboardOrder::Previous},
  };
  for (const Key& key : keys) {
    auto* action = new QAction(this);
    action->setObjectName(QString::fromLatin1(key.name));
    action->setShortcuts(key.keys);
    connect(action, &QAction::triggered, keyboard_, key.move);
    // Each stop answers with its name, as a screen reader would say it.
    connect(action, &QAction::triggered, this, [this] {
      QWidget* now = keyboard_->Current();
      QString name = now->accessibleName();
      if (auto* button = qobject_cast<QToolButton*>(now); button != nullptr && name.isEmpty())
        name = button->text();
      name.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('&'));
      if (!name.isEmpty()) form_->SayBriefly(ToCore(name));
    });
    addAction(action);
  }
  new MenuBarKeys(this, menuBar());
}

void MainWindowView::closeEvent(QCloseEvent* event) {
  // The close handler waits while still dispatching; a second close from
  // inside that wait is the same close.
  if (closing_) {
    event->ignore();
    return;
  }
  closing_ = true;
  if (form_ != nullptr) form_->FormClose();
  // A page's dialog left open would keep the program waiting for its answer.
  browser_->CloseDialogs();
  event->accept();
}

void MainWindowView::dragEnterEvent(QDragEnterEvent* event) {
  if (form_ != nullptr && form_->AcceptsDrops() && event->mimeData()->hasUrls())
    event->acceptProposedAction();
}

void MainWindowView::dropEvent(QDropEvent* event) {
  if (form_ == nullptr) return;
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(LocalPathBytes(url));
  }
  form_->FormDropFiles(paths);
  event->acceptProposedAction();
}

}  // namespace sonavia::qt
