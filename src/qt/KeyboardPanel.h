// The scanning keyboard on the screen: the text being typed, large, and the
// rows of keys, the row or key the scan is on framed as the toolbar's
// buttons are, and the pointer on it, so that the switch presses there.
// Its keys are pressed with the mouse too, and from the keyboard: the arrows
// move among them, Space or Enter presses one.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "controls/ScanKeyboard.h"
#include "qt/ToolBarScan.h"

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace sonavia::qt {

class KeyboardPanel : public QWidget {
 public:
  // `filter` takes the switch's presses on the keys and the panel while
  // scanning is on.
  KeyboardPanel(QWidget* parent, controls::ScanKeyboard& keyboard, ToolBarInputFilter* filter);

  // Mirrors the keyboard: its rows, its text and what the scan is on; with
  // `pointer`, the pointer goes on that.
  void Refresh(bool pointer);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Rebuild();
  // Moves the keyboard's focus from the key at (row, key) by (dr, dk).
  void MoveFocus(int row, int key, int dr, int dk);

  controls::ScanKeyboard& keyboard_;
  ToolBarInputFilter* filter_;
  QLabel* text_;
  QWidget* rowsBox_;
  QVBoxLayout* rowsLayout_;
  std::vector<QWidget*> rows_;
  std::vector<std::vector<QPushButton*>> keys_;
  std::vector<std::vector<std::string>> shown_;
  ScanFrame* frame_;
  QFont keyFont_;
  bool wasOpen_ = false;
};

}  // namespace sonavia::qt
