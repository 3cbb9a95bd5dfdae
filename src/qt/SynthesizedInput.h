// Keys and clicks sent to widgets as Qt events, so that the user's pointer
// is never moved. Synthesized keys carry a marker, so that they never run a
// shortcut wherever Qt offers them to the shortcuts.
#pragma once

#include <QPoint>

class QEvent;
class QWidget;

namespace sonavia::qt {

// Whether a key event is one of the program's own synthesized keys.
bool IsSynthesizedKey(QEvent* event);

// A Windows virtual-key code as a Qt key; 0 when it has no equivalent.
int QtKeyForVirtualKey(int virtualKey);

// A press and a release of `qtKey`, sent to the widget with the keyboard
// focus (or `fallback` when none has it).
void SendSynthesizedKey(int qtKey, QWidget* fallback = nullptr);

// A left-button press and release at `point` of `widget`.
void SendClick(QWidget* widget, QPoint point);

}  // namespace sonavia::qt
