// Run in a process of its own whose whole interface is at twice the scale
// (QT_SCALE_FACTOR=2, as a low-vision user's desktop may set it).
#include <QGuiApplication>
#include <QScreen>

#include "qt/LowVisionView.h"
#include "system/DlLibraryLoader.h"

namespace sonavia::qt {
namespace {

using testing::LowVisionProgram;

TEST(LowVisionScale, AtTwiceTheScaleTheEditsAndButtonsStayOnTheScreen) {
  ASSERT_DOUBLE_EQ(qApp->devicePixelRatio(), 2.0);
  QScreen* screen = QGuiApplication::primaryScreen();
  // As the program's entry places it: the screen's free area.
  system::DlLibraryLoader loader;  // the speech button shown
  LowVisionProgram p(loader, screen->availableGeometry());
  const QRect area(QPoint(0, 0), p.window.size());
  EXPECT_LE(p.window.width(), screen->geometry().width());
  EXPECT_EQ(testing::OffTheScreen(p, area), std::vector<std::string>{});
}

}  // namespace
}  // namespace sonavia::qt
