#include "qt/MainWindowView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <algorithm>

#include "platform/VirtualKeys.h"
#include "qt/AccessibleNames.h"
#include "qt/ClickFilter.h"
#include "qt/KeyboardAccess.h"
#include "qt/QtText.h"
#include "qt/QtTranslations.h"
#include "qt/SynthesizedInput.h"
#include "qt/ToolBarScan.h"

// The pictures are compiled into this library; a static library's
// resources must be named to be kept.
static void InitResources() {
  Q_INIT_RESOURCE(resources);
}

namespace sonavia::qt {

namespace {

const std::map<std::string, const char*> kPictures = {
    {"SpeedButtonAnterior", ":/anterior.svg"},  {"SpeedButtonSeguent", ":/seguent.svg"},
    {"SpeedButtonPararCarrega", ":/parar.svg"}, {"SpeedButtonRecarregar", ":/refrescar.svg"},
    {"SpeedButtonMarcSeguent", ":/marc.svg"},   {"SpeedButtonRePag", ":/repag.svg"},
    {"SpeedButtonAvPag", ":/avpag.svg"},        {"SpeedButtonTab", ":/tab.svg"},
    {"SpeedButtonAlLink", ":/allink.svg"},      {"SpeedButtonParlar", ":/parlar.svg"},
};

// The buttons' captions in bold, at the desktop's size as far as the
// widest of them fits in a button (their width is the scanning's pitch).
QFont CaptionFont(const QStringList& captions, int room) {
  QFont font = QApplication::font();
  font.setBold(true);
  auto widest = [&] {
    const QFontMetrics metrics(font);
    int width = 0;
    for (const QString& caption : captions)
      width = std::max(width, metrics.horizontalAdvance(caption));
    return width;
  };
  while (widest() > room && font.pointSizeF() > 6.0) font.setPointSizeF(font.pointSizeF() - 0.5);
  return font;
}

// A toolbar fixed in place, its contents from its very edge, at least
// `height` high (more when the desktop's font asks for it).
QToolBar* FixedToolBar(QMainWindow* window, const QString& name, const QString& title, int height) {
  QToolBar* bar = window->addToolBar(title);
  bar->setObjectName(name);
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setMinimumHeight(height);
  bar->setContentsMargins(0, 0, 0, 0);
  bar->layout()->setContentsMargins(0, 0, 0, 0);
  return bar;
}

// A toolbar button: a picture above a bold caption, never taking the
// keyboard, so that the page keeps it while the user works the toolbar.
QToolButton* NewToolButton(QWidget* row, const platform::Button& button, const QFont& font) {
  auto* widget = new QToolButton(row);
  widget->setObjectName(QString::fromStdString(button.Name()));
  widget->setFixedSize(shell::kButtonPitch, 62);
  widget->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  widget->setFont(font);
  widget->setFocusPolicy(Qt::NoFocus);
  widget->setAutoRaise(true);
  const auto picture = kPictures.find(button.Name());
  if (picture != kPictures.end()) {
    widget->setIcon(QIcon(QString::fromLatin1(picture->second)));
    widget->setIconSize(QSize(30, 30));
  }
  return widget;
}

void Run(const std::function<void()>& handler) {
  if (handler) handler();
}

// The Windows virtual-key code of the keys an address box reacts to.
int VirtualKeyForQtKey(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return platform::kReturnKey;
    case Qt::Key_Escape:
      return platform::kEscapeKey;
    case Qt::Key_Tab:
      return platform::kTabKey;
    case Qt::Key_Up:
      return platform::kUpKey;
    case Qt::Key_Down:
      return platform::kDownKey;
    default:
      return qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z ? qtKey : 0;
  }
}

// A filter of the form "HTML (*.htm)|*.htm|Tots (*.*)|*.*" for a Qt file
// dialog, each description shown as written. "*.*" takes every file, as
// where it was first written: here a file's name need not hold a dot.
QStringList NameFilters(const std::string& filter) {
  const QStringList parts = FromCp1252(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (patterns == QStringLiteral("*.*")) patterns = QStringLiteral("*");
    filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return filters;
}

// The open dialog, modal and worked from the keyboard as well as the mouse.
std::optional<std::string> RunOpenDialog(QWidget* parent, const platform::OpenDialog& open) {
  QFileDialog dialog(parent, FromCp1252(open.Title), QDir::currentPath());
  dialog.setObjectName(QString::fromStdString(open.Name()));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // The details in brackets are the patterns; the descriptions say them.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(NameFilters(open.Filter));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return ToCp1252(QFileInfo(dialog.selectedFiles().front()).absoluteFilePath());
}

}  // namespace

// While the window is disabled, the user's presses, keys and shortcuts to
// it and its children (the page included) go nowhere; unlike disabling the
// widgets, it leaves the keyboard focus where it was.
class MainWindowView::InputBlocker : public QObject {
 public:
  explicit InputBlocker(QWidget* window) : QObject(window), window_(window) {}
  void SetBlocking(bool blocking) {
    if (blocking == blocking_) return;
    blocking_ = blocking;
    if (blocking) {
      qApp->installEventFilter(this);
    } else {
      qApp->removeEventFilter(this);
    }
  }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
        break;
      default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (widget == nullptr || widget->window() != window_ || IsSynthesizedKey(event)) return false;
    // An accepted override keeps the key from any shortcut.
    event->accept();
    return true;
  }

 private:
  QWidget* window_;
  bool blocking_ = false;
};

// Sees every plain press of Return or Enter the user makes in the main
// window or the about box, auto-repeats included. In the program's other
// windows (a page's dialog, a failure message, the open and print dialogs)
// the key is that window's answer and nothing else; with Alt, Ctrl, Shift
// or the logo key it is another command. A key comes once to the window
// system's window and then travels among widgets (and the page may hand it
// back as a copy); only the first is counted. The program's own keys are
// not the user's. A press that followed a link in the main window goes no
// further: the page must not follow its focused link as well, which may be
// one the page chose.
class MainWindowView::EnterKeyObserver : public QObject {
 public:
  EnterKeyObserver(QWidget* window, std::function<bool()> enter)
      : QObject(window), enter_(std::move(enter)) {
    windows_.push_back(window);
    qApp->installEventFilter(this);
  }
  void Add(QWidget* window) { windows_.push_back(window); }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    // Only compared with the windows' own: the engine's objects, built
    // without type information, come here too.
    if (event->type() != QEvent::KeyPress || !Watched(receiver)) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const auto modifiers =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (!enter || (key->modifiers() & modifiers) != 0 || IsSynthesizedKey(event)) return false;
    const bool followed = enter_();
    return followed && receiver == windows_.front()->windowHandle();
  }

 private:
  bool Watched(QObject* receiver) const {
    for (const QPointer<QWidget>& window : windows_) {
      if (window != nullptr && window->windowHandle() == receiver) return true;
    }
    return false;
  }
  std::function<bool()> enter_;
  std::vector<QPointer<QWidget>> windows_;  // the main window first
};

MainWindowView::MainWindowView() : browser_((InitResources(), new WebEngineBrowser(this))) {
  setObjectName(QStringLiteral("FinestraPrincipal"));
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
  // Where the keyboard is must show: a thick frame on the focused edit. Set
  // on the edits themselves: a style sheet on the toolbar would give it
  // margins, and the address box must start at the window's left edge.
  const QString focusFrame =
      QStringLiteral("QComboBox:focus, QLineEdit:focus { border: 3px solid #0033aa; }");
  address_->setStyleSheet(focusFrame);
  for (auto& [edit, widget] : edits_) widget->setStyleSheet(focusFrame);
  BuildKeyboardAccess();
  enterKeys_ = new EnterKeyObserver(this, [this] {
    return form_ != nullptr && form_->ApplicationEvents1Message(platform::kReturnKey);
  });
  form.OpenFileDialog.OnExecute = [this](const platform::OpenDialog& open) {
    return RunOpenDialog(this, open);
  };
  Refresh();
}

void MainWindowView::FollowOnEnterIn(QWidget* window) {
  if (enterKeys_ != nullptr) enterKeys_->Add(window);
}

void MainWindowView::BuildMenus() {
  menuBar()->setObjectName(QStringLiteral("BarraMenus"));
  for (const auto& menu : form_->Menus()) {
    if (menu.items.empty()) {
      // A menu bar item without a submenu runs its command directly.
      QAction* action = menuBar()->addAction(FromCp1252(menu.title->Caption()));
      connect(action, &QAction::triggered, this, [item = menu.title] { item->Click(); });
      actions_[menu.title] = action;
      continue;
    }
    QMenu* submenu = menuBar()->addMenu(FromCp1252(menu.title->Caption()));
    actions_[menu.title] = submenu->menuAction();
    for (platform::MenuItem* item : menu.items) {
      QAction* action;
      if (item->Caption() == "-") {
        // The minus key on a separator runs no command: it stays with the
        // focused control, so "-" can still be typed into an address.
        action = submenu->addSeparator();
      } else {
        action = submenu->addAction(FromCp1252(item->Caption()));
        action->setCheckable(form_->Checkable(*item));
        connect(action, &QAction::triggered, this, [this, item] {
          item->Click();
          Refresh();  // the check mark is the behaviour's to set
        });
      }
      action->setObjectName(QString::fromStdString(item->Name()));
      // Shortcuts work wherever the main window has the keyboard.
      addAction(action);
      actions_[item] = action;
    }
  }
}

void MainWindowView::BuildButtonBar() {
  buttonBar_ =
      FixedToolBar(this, QStringLiteral("ToolBarBotons"), QStringLiteral("Barra de botons"), 66);
  buttonBar_->setFixedHeight(66);
  buttonBar_->layout()->setSpacing(0);
  // The row is what a screen reader meets as the toolbar.
  LayOutOnly(buttonBar_);
  // The buttons pack from the left edge with no gaps, a hidden one taking
  // no room, so that index x 62 + 20 lands on each: the scanning relies on it.
  auto* row = new QWidget(buttonBar_);
  row->setObjectName(QStringLiteral("FilaBotons"));
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  QStringList captions = {QStringLiteral("No parlar")};
  for (const platform::Button* button : form_->ToolbarButtons())
    captions << FromCp1252(button->Caption());
  const QFont font = CaptionFont(captions, shell::kButtonPitch - 6);
  for (platform::Button* button : form_->ToolbarButtons()) {
    QToolButton* widget = NewToolButton(row, *button, font);
    connect(widget, &QToolButton::clicked, this, [button] { button->Click(); });
    layout->addWidget(widget);
    buttons_[button] = widget;
  }
  logo_ = new QLabel(row);
  logo_->setObjectName(QStringLiteral("ImageQuelva2000"));
  logo_->setPixmap(QIcon(QStringLiteral(":/logo.svg")).pixmap(113, 62));
  // With little room (a large scale) the picture gives way to the buttons.
  logo_->setMinimumSize(1, 62);
  logo_->setMaximumSize(113, 62);
  logo_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  logo_->setCursor(Qt::PointingHandCursor);
  OnClick(logo_, [this] { form_->ImageQuelva2000.Click(); });
  layout->addWidget(logo_);
  layout->addStretch(1);
  // Scanning: clicks on the bare toolbar and its disabled buttons, right
  // clicks anywhere on it, and the frame on the scanned button.
  // While scanning is on, the switch's presses go to the behaviour.
  ToolBarInputFilter::Switch sw{[this] { return form_->ToolBarBotonsTakesSwitch(); },
                                [this](QWidget* pressed) {
                                  platform::Button* target = nullptr;
                                  for (auto& [button, widget] : buttons_) {
                                    if (widget == pressed)
                                      target = const_cast<platform::Button*>(button);
                                  }
                                  form_->ToolBarBotonsSwitchDown(target);
                                },
                                [this] { form_->ToolBarBotonsSwitchUp(); }};
  auto* scanInput = new ToolBarInputFilter(
      this, [this] { form_->ToolBarBotonsClick(); }, [this] { form_->ToolBarBotonsContextPopup(); },
      std::move(sw));
  scanInput->WatchSurface(buttonBar_);
  scanInput->WatchSurface(row);
  for (auto& [button, widget] : buttons_) scanInput->WatchControl(widget);
  scanInput->WatchPicture(logo_);
  scanFrame_ = new ScanFrame(row);
  buttonBar_->addWidget(row);
  row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void MainWindowView::BuildAddressBar() {
  // The address box starts at the window's left edge: typing an address
  // clicks 3 pixels in.
  addressBar_ = FixedToolBar(this, QStringLiteral("ToolBarAdressa"),
                             QStringLiteral("Barra d'adre\u00e7a"), 29);
  address_ = new QComboBox(addressBar_);
  address_->setObjectName(QStringLiteral("cboAddress"));
  address_->setEditable(true);
  // The box takes the room the three edits leave, so that they stay on
  // the screen at any scale and font.
  address_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  address_->setMinimumContentsLength(16);
  address_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  address_->setInsertPolicy(QComboBox::NoInsert);
  address_->setFocusPolicy(Qt::ClickFocus);  // not a tab stop
  connect(address_, &QComboBox::editTextChanged, this,
          [this](const QString& text) { form_->cboAddress.SetText(ToCp1252(text)); });
  platform::ComboBox& box = form_->cboAddress;
  // The box holds the focus and hands keys to its edit itself, past any filter.
  address_->installEventFilter(new FocusFilter(
      address_, [&box] { Run(box.OnEnter); }, [&box] { Run(box.OnExit); },
      [&box](int qtKey) {
        if (box.OnKeyDown) box.OnKeyDown(VirtualKeyForQtKey(qtKey));
      }));
  // An entry picked from the list, by the pointer or the arrow keys; Return
  // is the key handler's, even on a text that is in the list.
  address_->setDuplicatesEnabled(true);
  connect(address_, &QComboBox::activated, this, [&box] { box.Click(); });
  addressBar_->addWidget(address_);
  for (platform::Edit* edit :
       {&form_->EditVelocitat, &form_->TextDecimesScan, &form_->TextTimerParo}) {
    auto* widget = new QLineEdit(addressBar_);
    widget->setObjectName(QString::fromStdString(edit->Name()));
    // Room for the digits at the desktop's font: three, and four in the
    // rate edit for a sign.
    const QFontMetrics metrics(widget->font());
    const int digits = edit == &form_->EditVelocitat ? 4 : 3;
    widget->setFixedWidth(
        std::max(edit == &form_->EditVelocitat ? 40 : 30,
                 metrics.horizontalAdvance(QString(digits, QLatin1Char('0'))) + 14));
    widget->setFocusPolicy(Qt::ClickFocus);
    connect(widget, &QLineEdit::textEdited, this,
            [edit](const QString& text) { edit->SetText(ToCp1252(text)); });
    widget->installEventFilter(new FocusFilter(
        widget, [edit] { Run(edit->OnEnter); }, [edit] { Run(edit->OnExit); }));
    addressBar_->addWidget(widget);
    edits_[edit] = widget;
  }
}

void MainWindowView::Refresh() {
  if (form_ == nullptr) return;
  setWindowTitle(FromCp1252(form_->Caption()));
  blocker_->SetBlocking(!form_->Enabled());
  setAcceptDrops(form_->AcceptsDrops());
  for (auto& [item, action] : actions_) {
    action->setEnabled(item->Enabled());
    action->setVisible(item->Visible());
    if (action->isCheckable()) action->setChecked(item->Checked());
    if (action->isSeparator()) continue;
    action->setText(FromCp1252(item->Caption()));
    // Setting a shortcut registers it anew; only a changed one is set.
    const QKeySequence shortcut(FromCp1252(item->Shortcut()));
    if (action->shortcut() != shortcut) action->setShortcut(shortcut);
  }
  for (auto& [button, widget] : buttons_) {
    widget->setText(FromCp1252(button->Caption()));
    widget->setEnabled(button->Enabled());
    widget->setVisible(button->Visible());
    widget->setToolTip(FromCp1252(button->Hint()));
  }
  logo_->setToolTip(FromCp1252(form_->ImageQuelva2000.Hint()));
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
  const QString text = FromCp1252(form_->cboAddress.Text());
  if (address_->currentText() != text) {
    const QSignalBlocker block(address_);
    address_->setEditText(text);
  }
  const auto& items = form_->cboAddress.Items();
  if (address_->count() != static_cast<int>(items.size())) {
    const QSignalBlocker block(address_);
    address_->clear();
    for (const auto& item : items) address_->addItem(FromCp1252(item));
    address_->setEditText(text);
  }
  for (auto& [edit, widget] : edits_) {
    const QString value = FromCp1252(edit->Text());
    if (widget->text() != value) widget->setText(value);
    widget->setEnabled(edit->Enabled());
    widget->setToolTip(FromCp1252(edit->Hint()));
  }
  // A status text is shown, and offered to a screen reader, while there is one.
  status_->setText(FromCp1252(form_->StatusBar1.Text()));
  status_->setVisible(!form_->StatusBar1.Text().empty());
  translations_->Use(form_->mnuCastella.Checked());
  soundStatus_->setText(FromCp1252(form_->StatusBarSo.Text()));
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
    if (url.isLocalFile()) paths.push_back(ToCp1252(url.toLocalFile()));
  }
  form_->FormDropFiles(paths);
  event->acceptProposedAction();
}

}  // namespace sonavia::qt
