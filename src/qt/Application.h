// The application object: it keeps the program's own synthesized keys away
// from the window's shortcuts.
#pragma once

#include <QApplication>

namespace sonavia::qt {

class SonaviaApplication : public QApplication {
 public:
  SonaviaApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  int synthesizing_ = 0;
};

}  // namespace sonavia::qt
