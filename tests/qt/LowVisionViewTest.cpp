#include <QFont>
#include <QLabel>
#include <QMenuBar>

#include "qt/LowVisionView.h"
#include "system/DlLibraryLoader.h"

namespace sonavia::qt {
namespace {

using testing::LowVisionProgram;

TEST(LowVisionView, TheDesktopsFontIsFollowedAndTheWindowStillFits1024By600) {
  const QFont before = QApplication::font();
  struct Case {
    const char* name;
    double points;  // 0: as the desktop has it
  } const cases[] = {{"the desktop's font", 0}, {"a font of 14 points", 14}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.points > 0) {
      QFont large = before;
      large.setPointSizeF(c.points);
      QApplication::setFont(large);
    }
    const double points = QApplication::font().pointSizeF();
    {
      system::DlLibraryLoader loader;  // the speech button shown
      LowVisionProgram p(loader, QRect(0, 0, 1024, 600));
      EXPECT_EQ(testing::OffTheScreen(p, QRect(0, 0, 1024, 600)), std::vector<std::string>{});
      for (const char* name : {"EditVelocitat", "TextDecimesScan", "cboAddress", "StatusBar1"})
        EXPECT_DOUBLE_EQ(
            p.window.findChild<QWidget*>(QString::fromLatin1(name))->font().pointSizeF(), points)
            << name;
      EXPECT_DOUBLE_EQ(p.window.menuBar()->font().pointSizeF(), points);
      EXPECT_LE(p.window.minimumSizeHint().width(), 1024);
      EXPECT_LE(p.window.minimumSizeHint().height(), 600);
      EXPECT_GT(p.window.Browser().View()->height(), 300) << "room left for the page";
    }
    QApplication::setFont(before);
  }
}

}  // namespace
}  // namespace sonavia::qt
