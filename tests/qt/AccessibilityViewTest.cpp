// What a screen reader meets, through the accessibility interface Qt gives
// it: only what is on the screen, each object named in Catalan by what it
// is, every child's parent the object it is listed under; the status text
// as it changes; Qt's own texts in the program's language.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <set>
#include <string>
#include <vector>

#include "qt/ProgramParts.h"
#include "qt/QtWait.h"
#include "system/DlLibraryLoader.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;
using testing::NoLibrary;

struct Program : testing::ProgramParts {
  explicit Program(platform::LibraryLoader& loader) : ProgramParts(loader) {
    Write("index.htm",
          "<html><head><title>Inici</title></head><body><p>Benvinguts.</p></body></html>");
    Start();
    window.setGeometry(0, 0, 1100, 700);
    window.show();
    EXPECT_TRUE(WaitFor([&] { return form->HoverSpeechArmed && form->Enabled(); }));
    form->SpeechState.Set(false);
    form->Sequencer.StartReadingAt(0);
  }
  ~Program() { form->Speech.FreeSpeechEngine(); }
};

struct Seen {
  QAccessible::Role role;
  std::string name;
  std::string path;  // the names from the window down, for messages
};

// Walks what a screen reader walks: down from `face`, into neither the
// menus' closed lists, the address box's list nor the page's own content.
void Walk(QAccessibleInterface* face, const std::string& path, std::vector<Seen>& seen,
          std::vector<std::string>& faults) {
  const QAccessible::Role role = face->role();
  const std::string name = face->text(QAccessible::Name).toStdString();
  const std::string here = path + "/" + name;
  seen.push_back({role, name, here});
  if (role != QAccessible::Separator && name.empty()) faults.push_back("no name: " + here);
  if (face->state().invisible) faults.push_back("invisible: " + here);
  if (face->rect().isEmpty()) faults.push_back("no room on the screen: " + here);
  if (role == QAccessible::MenuItem || role == QAccessible::ComboBox ||
      (face->object() != nullptr && face->object()->objectName() == QLatin1String("brwWebBrowser")))
    return;
  for (int i = 0; i < face->childCount(); ++i) {
    QAccessibleInterface* child = face->child(i);
    if (child == nullptr) {
      faults.push_back("a missing child under " + here);
      continue;
    }
    QAccessibleInterface* parent = child->parent();
    if (parent == nullptr || parent->object() != face->object())
      faults.push_back("a child that names another parent: " + here + " > " +
                       child->text(QAccessible::Name).toStdString());
    if (face->indexOfChild(child) != i) faults.push_back("a child out of place under " + here);
    Walk(child, here, seen, faults);
  }
}

std::vector<Seen> Tree(std::vector<std::string>& faults) {
  std::vector<Seen> seen;
  QAccessibleInterface* app = QAccessible::queryAccessibleInterface(qApp);
  for (int i = 0; i < app->childCount(); ++i) Walk(app->child(i), "", seen, faults);
  return seen;
}

bool Has(const std::vector<Seen>& seen, QAccessible::Role role, const std::string& name) {
  for (const Seen& s : seen) {
    if (s.role == role && s.name == name) return true;
  }
  return false;
}

std::set<std::string> Names(const std::vector<Seen>& seen) {
  std::set<std::string> names;
  for (const Seen& s : seen) names.insert(s.name);
  return names;
}

TEST(AccessibilityView, OnlyWhatIsOnTheScreenEachNamedByWhatItIs) {
  system::DlLibraryLoader loader;
  Program p(loader);
  std::vector<std::string> faults;
  const std::vector<Seen> seen = Tree(faults);
  EXPECT_EQ(faults, std::vector<std::string>{});

  struct Expected {
    QAccessible::Role role;
    const char* name;
  } const expected[] = {
      {QAccessible::Client, "P\u00e0gina"},
      {QAccessible::Window, "Sonavia - Inici"},
      {QAccessible::ToolBar, "Barra de botons"},
      {QAccessible::Button, "Anterior"},
      {QAccessible::Button, "Parlar"},  // speech is off here
      {QAccessible::Link, "P\u00e0gina web dels autors"},
      {QAccessible::ToolBar, "Barra d'adre\u00e7a"},
      {QAccessible::EditableText, "Velocitat de lectura"},
      {QAccessible::EditableText, "Pas d'escaneig"},
      {QAccessible::EditableText, "Paro de l'escaneig"},
      {QAccessible::StatusBar, "Barra d'estat"},
  };
  for (const Expected& e : expected) EXPECT_TRUE(Has(seen, e.role, e.name)) << e.name;
  const std::set<std::string> names = Names(seen);
  for (const char* never :
       {"ToolBarBotons", "ToolBarAdressa", "Quelva", "Vista", "Offscreen", "Marc Seg."})
    EXPECT_EQ(names.count(never), 0u) << never << " is offered";
  EXPECT_EQ(QAccessible::queryAccessibleInterface(qApp)->childCount(), 1)
      << "the hidden about box and the engine's own windows are not offered";

  // The about box, once shown, and only what it shows.
  p.about.ShowNonModal();
  ASSERT_TRUE(WaitFor([&] { return p.aboutView.isVisible(); }));
  faults.clear();
  const std::vector<Seen> withBox = Tree(faults);
  EXPECT_EQ(faults, std::vector<std::string>{});
  EXPECT_TRUE(Has(withBox, QAccessible::Dialog, "Parlant de..."));
  EXPECT_TRUE(Has(withBox, QAccessible::Grouping, "El programa"));
  EXPECT_TRUE(Has(withBox, QAccessible::Graphic, "Dibuix d'una orella") ||
              Has(withBox, QAccessible::Graphic, "Dibuix d'un ordinador"));
  EXPECT_EQ(Names(withBox).count("Vista"), 0u);
  p.about.Hide();
  ASSERT_TRUE(WaitFor([&] { return !p.aboutView.isVisible(); }));
  EXPECT_EQ(QAccessible::queryAccessibleInterface(qApp)->childCount(), 1);
}

TEST(AccessibilityView, WithoutTheSpeechLibraryTheHiddenSpeechButtonIsNotOffered) {
  NoLibrary loader;
  Program p(loader);
  std::vector<std::string> faults;
  const std::vector<Seen> seen = Tree(faults);
  EXPECT_EQ(faults, std::vector<std::string>{});
  EXPECT_TRUE(Has(seen, QAccessible::Button, "Al link"));
  EXPECT_FALSE(Has(seen, QAccessible::Button, "No parlar"));
  EXPECT_FALSE(Has(seen, QAccessible::Button, "Parlar"));
}

TEST(AccessibilityView, TheStatusTextIsOfferedAsItChangesAndGoesWhenEmpty) {
  NoLibrary loader;
  Program p(loader);
  struct Step {
    const char* text;  // as the behaviour holds it
    const char* offered;
  } const steps[] = {
      {"Pàgina carregada", "P\u00e0gina carregada"},
      {"", nullptr},
      {"40 % carregat", "40 % carregat"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.text);
    p.form->StatusBar1.SetText(step.text);
    Pump(20);
    std::vector<std::string> faults;
    const std::vector<Seen> seen = Tree(faults);
    EXPECT_EQ(faults, std::vector<std::string>{});
    std::vector<std::string> underStatus;
    for (const Seen& s : seen) {
      if (s.path.find("/Barra d'estat/") != std::string::npos) underStatus.push_back(s.name);
    }
    if (step.offered != nullptr) {
      EXPECT_EQ(underStatus, std::vector<std::string>{step.offered});
    } else {
      EXPECT_EQ(underStatus, std::vector<std::string>{});
    }
  }
}

TEST(AccessibilityView, QtsOwnTextsFollowTheProgramsLanguage) {
  system::DlLibraryLoader loader;
  Program p(loader);
  auto buttons = [] {
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Ok)->text().toStdString() + " / " +
           box.button(QDialogButtonBox::Cancel)->text().toStdString();
  };
  EXPECT_EQ(buttons(), "D'acord / Cancel\u00b7la");
  p.form->mnuCastellaClick();
  Pump(20);
  EXPECT_EQ(buttons(), "Aceptar / Cancelar");
  p.form->mnuCatalaClick();
  Pump(20);
  EXPECT_EQ(buttons(), "D'acord / Cancel\u00b7la");
}

}  // namespace
}  // namespace sonavia::qt
