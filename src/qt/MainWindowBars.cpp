// The main window's two toolbars: the row of buttons with the logo, and
// the address box with the three edits.
#include "qt/MainWindowView.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "platform/VirtualKeys.h"
#include "qt/AccessibleNames.h"
#include "qt/ClickFilter.h"
#include "qt/KeyboardPanel.h"
#include "qt/QtText.h"
#include "qt/ToolBarScan.h"

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

}  // namespace

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
    captions << FromCore(button->Caption());
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
          [this](const QString& text) { form_->cboAddress.SetText(ToCore(text)); });
  platform::ComboBox& box = form_->cboAddress;
  // The box holds the focus and hands keys to its edit itself, past any filter.
  address_->installEventFilter(new FocusFilter(
      address_,
      [this, &box] {
        Run(box.OnEnter);
        // The whole address selected, as in every browser: typing replaces it.
        QTimer::singleShot(0, address_, [this] {
          if (address_->lineEdit() != nullptr && address_->hasFocus())
            address_->lineEdit()->selectAll();
        });
      },
      [&box] { Run(box.OnExit); },
      [&box](int qtKey) {
        if (box.OnKeyDown) box.OnKeyDown(VirtualKeyForQtKey(qtKey));
      }));
  // An entry picked from the list, by the pointer or the arrow keys; Return
  // is the key handler's, even on a text that is in the list.
  address_->setDuplicatesEnabled(true);
  connect(address_, &QComboBox::activated, this, [&box] { box.Click(); });
  // Leaving the box is not a pick: as it loses the keyboard the box would
  // activate an entry that matches its text, loading that page again.
  QObject::disconnect(address_->lineEdit(), SIGNAL(editingFinished()), address_, nullptr);
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
            [edit](const QString& text) { edit->SetText(ToCore(text)); });
    widget->installEventFilter(new FocusFilter(
        widget, [edit] { Run(edit->OnEnter); }, [edit] { Run(edit->OnExit); }));
    addressBar_->addWidget(widget);
    edits_[edit] = widget;
  }
}

void MainWindowView::BuildKeyboardPanel() {
  keyboardBar_ = new QToolBar(QStringLiteral("Teclat"), this);
  addToolBar(Qt::BottomToolBarArea, keyboardBar_);
  keyboardBar_->setObjectName(QStringLiteral("ToolBarTeclat"));
  keyboardBar_->setMovable(false);
  keyboardBar_->setFloatable(false);
  LayOutOnly(keyboardBar_);
  // The switch presses on the keyboard as on the button toolbar; a right
  // click there switches scanning too.
  ToolBarInputFilter::Switch sw{[this] { return form_->ToolBarBotonsTakesSwitch(); },
                                [this](QWidget*) { form_->ToolBarBotonsSwitchDown(nullptr); },
                                [this] { form_->ToolBarBotonsSwitchUp(); }};
  auto* input = new ToolBarInputFilter(
      this, [] {}, [this] { form_->ToolBarBotonsContextPopup(); }, std::move(sw));
  keyboardPanel_ = new KeyboardPanel(keyboardBar_, form_->Keyboard, input);
  keyboardBar_->addWidget(keyboardPanel_);
  keyboardPanel_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  keyboardBar_->setVisible(false);
}

}  // namespace sonavia::qt
