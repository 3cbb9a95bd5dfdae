// Input synthesis on Qt: keys and clicks sent to widgets as Qt events, so
// that the user's pointer is never moved. Synthesized keys are marked and
// never run a shortcut, wherever Qt offers them to the shortcuts.
#pragma once

#include <QApplication>
#include <QPoint>

class QWidget;

namespace sonavia::qt {

// The application object: it keeps the program's own keys away from the
// window's shortcuts.
class SonaviaApplication : public QApplication {
 public:
  SonaviaApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  int synthesizing_ = 0;
};

// The name under which the page process offers a full garbage collection
// to scripts.
inline constexpr char kPageCollector[] = "sonaviaCollect";

// Settings the embedded browser needs before the application exists:
// no sandbox when running as root, no GPU where the display has none, a
// full collection the program can ask the page process for.
void ConfigureWebEngineEnvironment();

// Whether the web browser component can be hosted: its helper process must
// be there for any page to show.
bool BrowserComponentAvailable();

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
