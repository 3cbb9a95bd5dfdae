// The scanning's frame, the keyboard's frame and the reading mark, measured
// from screenshots of the real display: on a white, a black and a mid-blue
// background, the band that meets the background stands out from it by at
// least 3:1 (WCAG's contrast ratio), and the two bands from each other.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QVariantMap>
#include <cmath>
#include <cstdio>

#include "qt/BrowserFixture.h"
#include "qt/ProgramParts.h"
#include "qt/QtWait.h"
#include "qt/ToolBarScan.h"
#include "reading/ReadingFollower.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;
using testing::NoLibrary;

// WCAG 2's relative luminance and contrast ratio, written out here.
double Luminance(QColor c) {
  auto linear = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}
double Contrast(QColor a, QColor b) {
  const double x = Luminance(a), y = Luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

double Distance(QColor a, QColor b) {
  return std::hypot(a.red() - b.red(), a.green() - b.green(), a.blue() - b.blue());
}

// A part of the screen as the display shows it.
QImage Screenshot(QWidget* widget, QRect local) {
  const QPoint at = widget->mapToGlobal(local.topLeft());
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, at.x(), at.y(), local.width(), local.height())
      .toImage();
}

const struct Background {
  const char* name;
  QColor colour;
} kBackgrounds[] = {
    {"white", QColor(0xff, 0xff, 0xff)},
    {"black", QColor(0x00, 0x00, 0x00)},
    {"mid-blue", QColor(0x33, 0x66, 0xcc)},
};

struct Toolbar : testing::ProgramParts {
  explicit Toolbar(platform::LibraryLoader& loader) : ProgramParts(loader) {
    Write("index.htm", "<html><head><title>Marc</title></head><body></body></html>");
    Start();
    window.setGeometry(0, 0, 1000, 600);
    window.show();
    QCursor::setPos(900, 550);  // away from the buttons, which it would light
    EXPECT_TRUE(WaitFor([&] { return form->Enabled(); }));
  }
};

TEST(Contrast, TheScanAndKeyboardFramesOnAnyToolbarColour) {
  NoLibrary loader;
  Toolbar t(loader);
  auto* framed = t.window.findChild<QToolButton*>(QStringLiteral("SpeedButtonSeguent"));
  auto* plain = t.window.findChild<QToolButton*>(QStringLiteral("SpeedButtonAnterior"));
  ASSERT_NE(framed, nullptr);
  for (const char* name : {"ScanFrame", "KeyboardFrame"}) {
    // The frames the window draws, on a button of its own.
    std::unique_ptr<OutlineFrame> frame;
    if (std::string(name) == "ScanFrame") {
      frame = std::make_unique<ScanFrame>(framed);
    } else {
      frame = std::make_unique<KeyboardFrame>(framed);
    }
    for (const Background& b : kBackgrounds) {
      SCOPED_TRACE(std::string(name) + " on " + b.name);
      // A desktop whose windows are drawn in that colour.
      QPalette palette = t.window.palette();
      for (auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
        palette.setColor(role, b.colour);
      t.window.setPalette(palette);
      frame->Follow(framed);
      Pump(150);
      const int middle = framed->height() / 2;
      // The neighbour's edge shows the toolbar; the bands from outside in.
      const QColor around = Screenshot(plain, QRect(2, middle, 1, 1)).pixelColor(0, 0);
      const QImage bands = Screenshot(framed, QRect(0, middle, 12, 1));
      const QColor outer = bands.pixelColor(1, 0);
      const QColor second = bands.pixelColor(OutlineFrame::kOuterBand + 1, 0);
      const QColor inner =
          bands.pixelColor(OutlineFrame::kOuterBand + OutlineFrame::kMiddleBand + 1, 0);
      std::printf("contrast %s on %s: outer %.1f:1, middle %.1f:1, between bands %.1f:1\n", name,
                  b.name, Contrast(outer, around), Contrast(second, around),
                  Contrast(outer, second));
      EXPECT_GE(Contrast(outer, around), 3.0) << "the outer band stands out";
      EXPECT_GE(Contrast(inner, around), 3.0) << "and the inner one from the button";
      EXPECT_GE(Contrast(outer, second), 3.0) << "the bands from each other";
    }
    frame->Follow(nullptr);
  }
}

// The border of the address box and the three edits while they have the
// keyboard, on a light and a dark theme: 3:1 at least against the toolbar
// and against the edit itself.
TEST(Contrast, TheFocusedEditsBorderOnALightAndADarkTheme) {
  NoLibrary loader;
  Toolbar t(loader);
  const struct {
    const char* name;
    QColor window, base, text;
  } themes[] = {
      {"light", QColor(0xef, 0xef, 0xef), QColor(0xff, 0xff, 0xff), QColor(0, 0, 0)},
      {"dark", QColor(0x2a, 0x2a, 0x2a), QColor(0x12, 0x12, 0x12), QColor(0xee, 0xee, 0xee)},
      {"dark blue", QColor(0x10, 0x18, 0x40), QColor(0x00, 0x00, 0x20), QColor(0xff, 0xff, 0xff)},
  };
  ASSERT_TRUE(t.Activate());
  for (const auto& theme : themes) {
    QPalette palette = t.window.palette();
    palette.setColor(QPalette::Window, theme.window);
    palette.setColor(QPalette::Button, theme.window);
    palette.setColor(QPalette::Base, theme.base);
    palette.setColor(QPalette::Text, theme.text);
    palette.setColor(QPalette::WindowText, theme.text);
    t.window.setPalette(palette);
    t.form->FocusPage();
    Pump(150);
    for (const char* name : {"cboAddress", "EditVelocitat", "TextDecimesScan", "TextTimerParo"}) {
      SCOPED_TRACE(std::string(theme.name) + ", " + name);
      auto* edit = t.window.findChild<QWidget*>(QString::fromLatin1(name));
      ASSERT_NE(edit, nullptr);
      QTest::keyClick(t.window.windowHandle(), Qt::Key_Tab, Qt::ControlModifier);
      Pump(150);
      ASSERT_TRUE(edit->hasFocus());
      // The middle of the border's top band, as the display shows it.
      const QColor border = Screenshot(edit, QRect(edit->width() / 2, 1, 1, 1)).pixelColor(0, 0);
      const double outside = Contrast(border, theme.window), inside = Contrast(border, theme.base);
      std::printf("focus border of %s on a %s theme: %s, %.1f:1 outside, %.1f:1 inside\n", name,
                  theme.name, qPrintable(border.name()), outside, inside);
      EXPECT_GE(outside, 3.0);
      EXPECT_GE(inside, 3.0);
    }
  }
}

class MarkContrast : public testing::BrowserFixture {
 protected:
  QVariantMap Mark(const reading::ReadingMark& mark) {
    QVariantMap report;
    QMetaObject::Connection c = QObject::connect(browser, &WebEngineBrowser::readingMarkDrawn,
                                                 [&](const QVariantMap& r) { report = r; });
    browser->ShowReadingMark(mark);
    WaitFor([&] { return !report.isEmpty(); }, 10000);
    QObject::disconnect(c);
    Pump(300);  // drawn on the screen
    return report;
  }
};

TEST_F(MarkContrast, TheSentenceAndTheLinkMarksOnWhiteBlackAndMidBluePages) {
  for (const Background& b : kBackgrounds) {
    SCOPED_TRACE(b.name);
    const QString text =
        Luminance(b.colour) > 0.4 ? QStringLiteral("#000") : QStringLiteral("#fff");
    const std::string path = Write(
        QStringLiteral("%1.htm").arg(QString::fromLatin1(b.name)),
        QStringLiteral("<html><head><title>Fons</title></head>"
                       "<body style='margin:60px; background:%1; color:%2; font:24px sans-serif'>"
                       "<p>Una frase de prova per marcar.</p>"
                       "<p><a href='x.htm' style='color:%2'>Un enlla\u00e7</a></p></body></html>")
            .arg(b.colour.name(), text)
            .toUtf8());
    ASSERT_TRUE(Load("file://" + path));
    browser->Document();
    const struct {
      const char* kind;
      reading::ReadingMark mark;
    } marks[] = {
        {"sentence", {reading::MarkKind::Text, "Una frase de prova per marcar.", 0}},
        {"link", {reading::MarkKind::Link, "Un enllaç", 1}},
    };
    for (const auto& m : marks) {
      SCOPED_TRACE(m.kind);
      const QVariantMap report = Mark(m.mark);
      ASSERT_TRUE(report.value(QStringLiteral("found")).toBool());
      const int x = qRound(report.value(QStringLiteral("x")).toDouble());
      const int y = qRound(report.value(QStringLiteral("y")).toDouble() +
                           report.value(QStringLiteral("height")).toDouble() / 2);
      // From the page's own colour, 30 pixels out, to the marked thing.
      const QImage line = Screenshot(browser->View(), QRect(x - 30, y, 30, 1));
      const QColor page = line.pixelColor(0, 0);
      EXPECT_LT(Contrast(page, b.colour), 1.1) << "the page's colour where measured";
      // The pixels nearest to the two colours of the outline.
      auto nearest = [&](QColor target) {
        QColor best = line.pixelColor(0, 0);
        for (int i = 0; i < line.width(); ++i) {
          if (Distance(line.pixelColor(i, 0), target) < Distance(best, target))
            best = line.pixelColor(i, 0);
        }
        return best;
      };
      const QColor dark = nearest(QColor(0, 0, 0)), light = nearest(QColor(0xff, 0xd4, 0x00));
      EXPECT_LT(Distance(dark, QColor(0, 0, 0)), 40) << "a black band";
      EXPECT_LT(Distance(light, QColor(0xff, 0xd4, 0x00)), 40) << "a yellow band";
      const double darkBand = Contrast(dark, page), lightBand = Contrast(light, page);
      std::printf("contrast reading mark (%s) on %s: black band %.1f:1, yellow band %.1f:1\n",
                  m.kind, b.name, darkBand, lightBand);
      EXPECT_GE(std::max(darkBand, lightBand), 3.0) << "one band stands out from the page";
      EXPECT_GE(Contrast(dark, light), 9.0) << "two colours far apart";
    }
    browser->HideReadingMark();
  }
}

// At a large zoom, the outline of a sentence's second line leaves the
// letters of its first as they were: no ink turns light under the mark.
TEST_F(MarkContrast, AtLargeZoomsTheOutlineLeavesTheLettersOfTheLineAbove) {
  const std::string path =
      Write(QStringLiteral("linies.htm"),
            QStringLiteral("<html><head><title>Linies</title></head>"
                           "<body style='margin:20px; background:#fff; color:#000; "
                           "font:16px sans-serif; width:170px'>"
                           "<p>Una frase de prova prou llarga per ocupar unes quantes l\u00ednies "
                           "quan la p\u00e0gina es mostra ampliada.</p></body></html>")
                .toUtf8());
  for (const int percent : {250, 300}) {
    SCOPED_TRACE(percent);
    browser->SetZoom(percent);
    ASSERT_TRUE(Load("file://" + path));
    browser->Document();
    Pump(300);
    const QRect area(0, 0, browser->View()->width(), browser->View()->height());
    const QImage before = Screenshot(browser->View(), area);
    const QVariantMap report = Mark(
        {reading::MarkKind::Text,
         "Una frase de prova prou llarga per ocupar unes quantes línies quan la pàgina es mostra "
         "ampliada.",
         0});
    ASSERT_TRUE(report.value(QStringLiteral("found")).toBool());
    const QImage after = Screenshot(browser->View(), area);
    int ink = 0, hidden = 0;
    for (int y = 0; y < before.height(); ++y) {
      for (int x = 0; x < before.width(); ++x) {
        if (Luminance(before.pixelColor(x, y)) > 0.05) continue;
        ++ink;
        if (Luminance(after.pixelColor(x, y)) > 0.3) ++hidden;
      }
    }
    std::printf("mark at %d %%: %d of %d ink pixels made light\n", percent, hidden, ink);
    EXPECT_GT(ink, 1000);
    EXPECT_LE(hidden, ink / 2000) << "the letters stay dark under the mark";
    browser->HideReadingMark();
  }
}

}  // namespace
}  // namespace sonavia::qt
