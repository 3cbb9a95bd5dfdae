// What a low-vision user's desktop asks of the window: a larger font or a
// larger scale, and the window still holds every control on the screen.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QToolBar>
#include <QToolButton>
#include <string>
#include <vector>

#include "qt/ProgramParts.h"
#include "qt/QtWait.h"

namespace sonavia::qt::testing {

struct LowVisionProgram : ProgramParts {
  LowVisionProgram(platform::LibraryLoader& loader, QRect geometry) : ProgramParts(loader) {
    Write("index.htm", "<html><head><title>Gran</title></head><body><p>Text.</p></body></html>");
    Start();
    window.setGeometry(geometry);
    window.show();
    EXPECT_TRUE(sonavia::testing::WaitFor([&] { return form->Enabled(); }));
    form->SpeechState.Set(false);
    form->Sequencer.StartReadingAt(0);
    sonavia::testing::Pump(200);
  }
  ~LowVisionProgram() { form->Speech.FreeSpeechEngine(); }
};

// What of the window does not show whole inside `area` (in the window's
// coordinates): the address box, the three edits, the nine buttons at
// their scanning places; and a button whose caption does not fit it.
inline std::vector<std::string> OffTheScreen(LowVisionProgram& p, QRect area) {
  std::vector<std::string> off;
  for (const char* name : {"cboAddress", "EditVelocitat", "TextDecimesScan", "TextTimerParo"}) {
    QWidget* widget = p.window.findChild<QWidget*>(QString::fromLatin1(name));
    const QRect shown(widget->mapTo(&p.window, QPoint(0, 0)), widget->size());
    if (!widget->isVisible() || !area.contains(shown)) off.push_back(name);
  }
  const char* const buttons[] = {
      "SpeedButtonAnterior",   "SpeedButtonSeguent", "SpeedButtonPararCarrega",
      "SpeedButtonRecarregar", "SpeedButtonRePag",   "SpeedButtonAvPag",
      "SpeedButtonTab",        "SpeedButtonAlLink",  "SpeedButtonParlar"};
  QToolBar* bar = p.window.ButtonToolBar();
  for (int i = 0; i < 9; ++i) {
    const QPoint at(i * 62 + 20, bar->geometry().top() + 31);
    QWidget* hit = p.window.childAt(at);
    while (hit != nullptr && qobject_cast<QToolButton*>(hit) == nullptr) hit = hit->parentWidget();
    if (hit == nullptr || hit->objectName() != QLatin1String(buttons[i]) || !area.contains(at))
      off.push_back(buttons[i]);
    auto* button = p.window.findChild<QToolButton*>(QString::fromLatin1(buttons[i]));
    if (QFontMetrics(button->font()).horizontalAdvance(button->text()) > button->width() - 4)
      off.push_back(std::string(buttons[i]) + " caption");
  }
  return off;
}

}  // namespace sonavia::qt::testing
