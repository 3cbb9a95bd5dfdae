#include "qt/KeyboardPanel.h"

#include <QApplication>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "qt/QtText.h"

namespace sonavia::qt {

namespace {

constexpr int kKeyHeight = 40;
constexpr int kRowSpacing = 2;
// The letters' four rows, the words, the commands, the accents, the signs.
constexpr int kMostRows = 8;

// Half as large again as the desktop's text, and never small: a key must
// be read by a user who sees little.
QFont LargeFont(double scale, double smallest) {
  QFont font = QApplication::font();
  font.setBold(true);
  const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
  font.setPointSizeF(std::max(points * scale, smallest));
  return font;
}

}  // namespace

KeyboardPanel::KeyboardPanel(QWidget* parent, controls::ScanKeyboard& keyboard,
                             ToolBarInputFilter* filter)
    : QWidget(parent), keyboard_(keyboard), filter_(filter), keyFont_(LargeFont(1.5, 14.0)) {
  setObjectName(QStringLiteral("TeclatEscaneig"));
  setAccessibleName(QStringLiteral("Teclat"));
  setAccessibleDescription(QStringLiteral("El teclat per escriure amb el polsador"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  text_ = new QLabel(this);
  text_->setObjectName(QStringLiteral("TextTeclat"));
  text_->setAccessibleName(QStringLiteral("Text escrit"));
  text_->setAccessibleDescription(QStringLiteral("El que s'escriu amb el teclat"));
  text_->setFont(LargeFont(1.8, 16.0));
  // Dark text on a light field, framed: the typed text stands apart from
  // the keys.
  text_->setStyleSheet(
      QStringLiteral("QLabel { background: white; color: black; border: 2px solid black; "
                     "padding: 2px 6px; }"));
  text_->setTextFormat(Qt::PlainText);
  layout->addWidget(text_);
  rowsBox_ = new QWidget(this);
  rowsLayout_ = new QVBoxLayout(rowsBox_);
  rowsLayout_->setContentsMargins(0, 0, 0, 0);
  rowsLayout_->setAlignment(Qt::AlignTop);
  rowsLayout_->setSpacing(kRowSpacing);
  // Room for every row the keyboard can have, so that it keeps its place
  // on the screen whether words are offered or not.
  rowsBox_->setFixedHeight(kMostRows * kKeyHeight + (kMostRows - 1) * kRowSpacing);
  layout->addWidget(rowsBox_);
  filter_->WatchSurface(this);
  filter_->WatchSurface(rowsBox_);
  filter_->WatchSurface(text_);
  frame_ = new ScanFrame(this);
}

void KeyboardPanel::Rebuild() {
  // A key being clicked may be among them: they go once it has returned.
  for (QWidget* row : rows_) {
    row->hide();
    rowsLayout_->removeWidget(row);
    row->deleteLater();
  }
  rows_.clear();
  keys_.clear();
  shown_.clear();
  const auto& rows = keyboard_.Rows();
  for (size_t r = 0; r < rows.size(); ++r) {
    auto* row = new QWidget(rowsBox_);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(kRowSpacing);
    filter_->WatchSurface(row);
    std::vector<QPushButton*> keys;
    std::vector<std::string> shown;
    for (size_t k = 0; k < rows[r].keys.size(); ++k) {
      const controls::KeyboardKey& key = rows[r].keys[k];
      auto* button = new QPushButton(FromCore(key.shown), row);
      button->setFont(keyFont_);
      button->setMinimumWidth(44);
      button->setFixedHeight(kKeyHeight);
      button->setAccessibleName(FromCore(key.spoken));
      button->setAccessibleDescription(QStringLiteral("Una tecla del teclat"));
      button->setFocusPolicy(Qt::ClickFocus);
      button->installEventFilter(this);
      filter_->WatchControl(button);
      connect(button, &QPushButton::clicked, this, [this, r, k] { keyboard_.PressKey(r, k); });
      line->addWidget(button);
      keys.push_back(button);
      shown.push_back(key.shown);
    }
    line->addStretch(1);
    rowsLayout_->addWidget(row);
    // Shown now, not when the layout gets to it: the pointer goes there now.
    row->show();
    rows_.push_back(row);
    keys_.push_back(std::move(keys));
    shown_.push_back(std::move(shown));
  }
  // Laid out at once: the pointer goes on a key as soon as it shows.
  rowsLayout_->activate();
  layout()->activate();
}

void KeyboardPanel::Refresh(bool pointer) {
  if (!keyboard_.Open()) {
    frame_->Follow(nullptr);
    wasOpen_ = false;
    return;
  }
  const bool opened = !wasOpen_;
  wasOpen_ = true;
  // The rows change with the words offered; the keys are made again then.
  const auto& rows = keyboard_.Rows();
  bool same = rows.size() == shown_.size();
  for (size_t r = 0; same && r < rows.size(); ++r) {
    same = rows[r].keys.size() == shown_[r].size();
    for (size_t k = 0; same && k < rows[r].keys.size(); ++k)
      same = rows[r].keys[k].shown == shown_[r][k];
  }
  if (!same) {
    // The focus stays on the keyboard when a key pressed from it goes.
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    Rebuild();
    if (hadFocus && !keys_.empty() && !keys_[0].empty()) keys_[0][0]->setFocus();
  }
  // A caret after the text; the text given at the start shows selected.
  const QString text = FromCore(keyboard_.Text());
  text_->setText(keyboard_.Replacing() ? QStringLiteral("[") + text + QStringLiteral("]")
                                       : text + QStringLiteral("_"));
  QWidget* framed = nullptr;
  const int row = keyboard_.ScanRow();
  const int key = keyboard_.ScanKey();
  if (row >= 0 && row < static_cast<int>(rows_.size())) {
    framed = rows_[static_cast<size_t>(row)];
    const auto& keys = keys_[static_cast<size_t>(row)];
    if (key >= 0 && key < static_cast<int>(keys.size())) framed = keys[static_cast<size_t>(key)];
  }
  frame_->Follow(framed);
  // Opened without the scan (from the menu), the keys take the keyboard.
  if (opened && !keyboard_.Scanned() && !keys_.empty() && !keys_[0].empty())
    keys_[0][0]->setFocus(Qt::OtherFocusReason);
  if (pointer && framed != nullptr && framed->isVisible()) {
    // A row's middle lies apart from its keys: the pointer moves at each
    // step, the first key included.
    QCursor::setPos(framed->mapToGlobal(framed->rect().center()));
  }
}

void KeyboardPanel::MoveFocus(int row, int key, int dr, int dk) {
  const int rows = static_cast<int>(keys_.size());
  if (rows == 0) return;
  const int r = std::clamp(row + dr, 0, rows - 1);
  const auto& keys = keys_[static_cast<size_t>(r)];
  if (keys.empty()) return;
  const int k = std::clamp(key + dk, 0, static_cast<int>(keys.size()) - 1);
  keys[static_cast<size_t>(k)]->setFocus(Qt::TabFocusReason);
}

bool KeyboardPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* press = static_cast<QKeyEvent*>(event);
  for (size_t r = 0; r < keys_.size(); ++r) {
    for (size_t k = 0; k < keys_[r].size(); ++k) {
      if (keys_[r][k] != watched) continue;
      const int row = static_cast<int>(r), key = static_cast<int>(k);
      switch (press->key()) {
        case Qt::Key_Left:
          MoveFocus(row, key, 0, -1);
          return true;
        case Qt::Key_Right:
          MoveFocus(row, key, 0, 1);
          return true;
        case Qt::Key_Up:
          MoveFocus(row, key, -1, 0);
          return true;
        case Qt::Key_Down:
          MoveFocus(row, key, 1, 0);
          return true;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
          keys_[r][k]->click();
          return true;
        case Qt::Key_Backspace:
          keyboard_.DeleteKey();
          return true;
        case Qt::Key_Escape:
          keyboard_.CloseKey();
          return true;
        default: {
          // A letter typed goes in as the key for it would.
          const QString typed = press->text();
          const bool plain = (press->modifiers() &
                              (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
          if (!plain || typed.isEmpty() || !typed.at(0).isPrint()) return false;
          keyboard_.TypeText(ToCore(typed));
          return true;
        }
      }
    }
  }
  return false;
}

}  // namespace sonavia::qt
