#include "qt/Application.h"

#include "qt/SynthesizedInput.h"

namespace sonavia::qt {

SonaviaApplication::SonaviaApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool SonaviaApplication::notify(QObject* receiver, QEvent* event) {
  // Qt offers a key that is sent, not typed, to the shortcuts as an
  // override query first; answering it for our own keys keeps them away.
  if (event->type() == QEvent::ShortcutOverride && synthesizing_ > 0) {
    event->accept();
    return true;
  }
  const bool ours = IsSynthesizedKey(event);
  if (ours) ++synthesizing_;
  const bool result = QApplication::notify(receiver, event);
  if (ours) --synthesizing_;
  return result;
}

}  // namespace sonavia::qt
