// A page's own dialogs as the program's message windows, against the real
// engine.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QTimer>
#include <QWebEngineView>
#include <string>
#include <vector>

#include "qt/BrowserFixture.h"
#include "qt/QtWindowList.h"
#include "qt/SynthesizedInput.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;

// A page's dialog waits for its answer inside its own event loop, so the
// answers come from a timer, as the program's watchdog gives them.
class PageDialogTest : public testing::BrowserFixture {
 protected:
  static QWidget* Dialog() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible() && w->windowTitle() == QStringLiteral("Missatge de la p\u00e0gina"))
        return w;
    }
    return nullptr;
  }
  static void Answer(QWidget* dialog, Qt::Key key) {
    QWidget* focus = dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(focus, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(focus, &release);
  }
  // Answers each dialog that shows with `key`, noting what the window list
  // says of it.
  void AnswerWith(Qt::Key key) {
    answering_.setInterval(50);
    answering_.disconnect();
    QObject::connect(&answering_, &QTimer::timeout, [this, key] {
      QWidget* dialog = Dialog();
      if (dialog == nullptr) return;
      QtWindowList windows;
      for (const auto& info : windows.TopLevelWindows()) {
        if (info.title == shell::kPageDialogTitle) seen.push_back(info);
      }
      modal = modal || dialog->isModal();
      Answer(dialog, key);
    });
    answering_.start();
  }
  QString Run(const QString& script) {
    QString result;
    bool done = false;
    browser->View()->page()->runJavaScript(script, [&](const QVariant& v) {
      result = v.toString();
      done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done; }, 15000)) << script.toStdString();
    return result;
  }
  void TearDown() override {
    answering_.stop();
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
    }
    BrowserFixture::TearDown();
  }
  std::vector<platform::WindowInfo> seen;
  bool modal = false;

 private:
  QTimer answering_;
};

TEST_F(PageDialogTest, AlertConfirmAndPromptAreMessageWindowsThatReturnTheirAnswer) {
  struct Case {
    const char* script;
    Qt::Key key;
    const char* text;
    int answerKey;
    const char* result;
  } const cases[] = {
      {"alert('Hola!'); 'fet'", Qt::Key_Return, "Hola!", 0x0D, "fet"},
      {"confirm('Segur?') ? 'si' : 'no'", Qt::Key_Escape, "Segur?", 0x1B, "no"},
      {"confirm('Segur?') ? 'si' : 'no'", Qt::Key_Return, "Segur?", 0x1B, "si"},
      {"String(prompt('Nom?', 'Anna'))", Qt::Key_Escape, "Nom?", 0x1B, "null"},
  };
  const std::string path = Write("dialogs.htm", "<html><body><p>Dialegs</p></body></html>");
  for (const auto& c : cases) {
    ASSERT_TRUE(Load(path));
    seen.clear();
    AnswerWith(c.key);
    EXPECT_EQ(Run(QString::fromLatin1(c.script)).toStdString(), c.result) << c.script;
    ASSERT_EQ(seen.size(), 1u) << c.script;
    EXPECT_EQ(seen[0].text, c.text);
    EXPECT_EQ(seen[0].answerKey, c.answerKey);
    EXPECT_FALSE(modal) << "the main window stays usable";
    TearDown();
  }
}

TEST_F(PageDialogTest, APageThatKeepsOpeningDialogsIsAnsweredWithoutWindows) {
  const std::string path = Write("flood.htm", "<html><body><p>Molts</p></body></html>");
  ASSERT_TRUE(Load(path));
  AnswerWith(Qt::Key_Return);
  EXPECT_EQ(Run(QStringLiteral("for (var i = 0; i < 1000; i++) alert('no ' + i); 'acabat'"))
                .toStdString(),
            "acabat");
  EXPECT_EQ(seen.size(), 3u) << "three windows, the rest answered without one";
  // The same page loaded again counts afresh.
  ASSERT_TRUE(Load(path));
  EXPECT_EQ(Run(QStringLiteral("alert('una altra vegada'); 'fet'")).toStdString(), "fet");
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen.back().text, "una altra vegada");
}

TEST_F(PageDialogTest, AMessageOfMegabytesIsShownCut) {
  const std::string path = Write("huge.htm", "<html><body><p>Gran</p></body></html>");
  ASSERT_TRUE(Load(path));
  AnswerWith(Qt::Key_Return);
  EXPECT_EQ(Run(QStringLiteral("alert('ab'.repeat(3 << 20)); 'fet'")).toStdString(), "fet");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text.size(), 2000u + std::string("…").size());
  EXPECT_EQ(seen[0].text.substr(0, 6), "ababab");
  EXPECT_EQ(seen[0].text.substr(2000), "…") << "an ellipsis marks the cut";
}

TEST_F(PageDialogTest, LeavingAPageThatAsksFirstIsAQuestionInCatalan) {
  const std::string asks = Write("asks.htm", R"(<html><body><p>Canvis</p><script>
window.addEventListener('beforeunload', function (e) { e.preventDefault(); e.returnValue = ''; });
</script></body></html>)");
  const std::string next = Write("next.htm", "<html><body><p>Seguent</p></body></html>");
  struct Case {
    Qt::Key key;
    const char* location;  // where the browser stands after the answer
  } const cases[] = {{Qt::Key_Escape, "asks.htm"}, {Qt::Key_Return, "next.htm"}};
  for (const auto& c : cases) {
    AnswerWith(Qt::Key_Return);  // leaving the page of the case before
    ASSERT_TRUE(Load(asks));
    // The engine asks only on a page that the user has worked with.
    SendClick(browser->View()->focusProxy(), QPoint(20, 20));
    Pump(200);
    seen.clear();
    AnswerWith(c.key);
    browser->Navigate(next);
    ASSERT_TRUE(WaitFor([&] { return !seen.empty(); }, 10000));
    EXPECT_EQ(seen[0].text,
              "Voleu sortir d'aquesta pàgina? Potser no es desaran els canvis que hi heu fet.");
    EXPECT_EQ(seen[0].answerKey, 0x0D) << "Return leaves";
    Pump(500);
    EXPECT_EQ(browser->LocationName(), c.location);
    TearDown();
  }
}

}  // namespace
}  // namespace sonavia::qt
