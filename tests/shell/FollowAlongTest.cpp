// The page shows what is being read: the marks the form hands to the
// browser component as the reading goes, jumps, pauses and ends, and the
// menu item and setting that switch them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Cp1252.h"
#include "reading/ReadingFollower.h"
#include "shell/FormPrincipal.h"
#include "support/FakeSpeechLibrary.h"
#include "support/FakeWindowList.h"
#include "support/RecordingInput.h"
#include "support/ScriptedBrowser.h"
#include "support/SimulatedEventLoop.h"
#include "support/SimulatedWindow.h"
#include "support/TempDir.h"

namespace sonavia::reading {
void PrintTo(const ReadingMark& m, std::ostream* out) {
  *out << static_cast<int>(m.kind) << m.item << "(" << m.text << ")";
}
}  // namespace sonavia::reading

namespace sonavia::shell {
namespace {

using Lines = std::vector<std::string>;
using reading::MarkKind;
using reading::ReadingMark;

const char* const kPage =
    "<body><p>Un. <a href=\"a.htm\">Primer</a> dos. <img src=\"x.png\" alt=\"Gat\"> "
    "<a href=\"b.htm\">Segon</a> tres.</p></body>";

class FollowAlong : public ::testing::Test, protected testing::SimulatedWindow {
 protected:
  FollowAlong() : SimulatedWindow("/w") {}

  void SetUp() override {
    testing::ScriptedPage page;
    page.title = "Inici";
    page.body = kPage;
    page.links = {"file:///w/a.htm", "file:///w/b.htm"};
    browser.AddPage("file:///w/index.htm", page);
    browser.AddPage("file:///w/a.htm", page);
    main.FormCreate();
    about.FormCreate();
    main.TimerControlSituacio->SetEnabled(false);
  }

  // Loads the page and runs until its reading has begun.
  void Load(const std::string& address = "file:///w/index.htm") {
    main.GoToAddress(address);
    loop.RunFor(300 + 2500 + 20);
  }

  // Runs until the first text unit is marked.
  void RunUntilMarked() {
    for (int i = 0; i < 1000 && browser.marks.empty(); ++i) loop.RunFor(10);
  }

  // The marks without their times.
  Lines Marks() const {
    Lines marks;
    for (const auto& m : browser.marks) marks.push_back(m.substr(m.find(' ') + 1));
    return marks;
  }
  void At(uint64_t time, std::function<void()> action) {
    loop.Post(static_cast<uint32_t>(time - loop.Elapsed()), std::move(action));
  }
};

const Lines kWholePage = {"Text(UN)",     "Link1(PRIMER)", "Text( DOS)", "Image1(GAT )",
                          "Link2(SEGON)", "Text( TRES. )", "Hide"};

TEST_F(FollowAlong, TheMarkFollowsEveryUnitAndGoesAtTheEnd) {
  Load();
  EXPECT_TRUE(browser.marks.empty()) << "the title units are not on the page";
  loop.RunFor(30000);
  EXPECT_EQ(Marks(), kWholePage);
  // Each mark comes with its unit's text, not before.
  std::vector<uint64_t> reads;
  for (const auto& line : library.timeline) {
    if (line.find(" Read(") != std::string::npos) reads.push_back(std::stoull(line));
  }
  ASSERT_GE(reads.size(), 4u);
  EXPECT_EQ(browser.marks.front(), std::to_string(reads[3]) + " Text(UN)");
}

TEST_F(FollowAlong, TheMarkJumpsPausesAndGoesWithANewPage) {
  struct Case {
    const char* what;
    std::function<void(TFormPrincipal&, testing::ScriptedBrowser&)> act;
    Lines expected;  // the marks from the action on
  } const cases[] = {
      {"pointing at a link",
       [](TFormPrincipal&, testing::ScriptedBrowser& b) { b.ShowStatus("file:///w/b.htm"); },
       {"Link2(SEGON)", "Text( TRES. )", "Hide"}},
      {"speech off, then on",
       [](TFormPrincipal& m, testing::ScriptedBrowser&) {
         m.mnuParlarClick();
         m.mnuParlarClick();
       },
       {"Hide", "Text(UN)", "Link1(PRIMER)"}},
      {"restart",
       [](TFormPrincipal& m, testing::ScriptedBrowser&) { m.mnuTornarAComencarClick(); },
       {"Hide"}},
      {"links reading",
       [](TFormPrincipal& m, testing::ScriptedBrowser&) { m.mnuCanviLlegirLinksLecturesClick(); },
       {"Hide", "Link1(PRIMER)", "Link2(SEGON)", "Hide"}},
      {"a new download",
       [](TFormPrincipal& m, testing::ScriptedBrowser&) { m.GoToAddress("file:///w/a.htm"); },
       {"Hide"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    browser.marks.clear();
    Load();
    RunUntilMarked();  // "UN" is being read
    ASSERT_EQ(Marks(), Lines{"Text(UN)"});
    browser.marks.clear();
    c.act(main, browser);
    loop.RunFor(c.expected.size() > 1 ? 10000 : 0);
    Lines marks = Marks();
    if (marks.size() > c.expected.size()) marks.resize(c.expected.size());
    EXPECT_EQ(marks, c.expected);
    main.GoToAddress("file:///w/index.htm");  // ends this case's reading
    loop.RunFor(100);
  }
}

TEST_F(FollowAlong, TheMenuItemSwitchesTheMarkAtOnce) {
  EXPECT_TRUE(main.mnuMostrarLectura.Checked());
  EXPECT_EQ(main.mnuMostrarLectura.Caption(), "&Mostrar el que es llegeix");
  const auto& items = main.Menus()[1].items;
  EXPECT_NE(std::find(items.begin(), items.end(), &main.mnuMostrarLectura), items.end())
      << "in the reading options";
  Load();
  RunUntilMarked();
  ASSERT_EQ(Marks(), Lines{"Text(UN)"});
  main.mnuMostrarLectura.OnClick();
  EXPECT_FALSE(main.mnuMostrarLectura.Checked());
  EXPECT_EQ(Marks(), (Lines{"Text(UN)", "Hide"}));
  // "LINK" is read unmarked.
  for (int i = 0; i < 1000 && list->UnitCursor < 4; ++i) loop.RunFor(10);
  EXPECT_EQ(Marks().size(), 2u);
  main.mnuMostrarLectura.OnClick();
  EXPECT_EQ(Marks().back(), "Link1(PRIMER)") << "the unit being read shows at once";
  main.mnuParlarClick();
  main.mnuMostrarLectura.OnClick();
  main.mnuMostrarLectura.OnClick();
  EXPECT_EQ(Marks().back(), "Hide") << "nothing is read, nothing shows";
}

// Units and what they mark: images and links by their number in the page,
// also when a description reads like a word of the conversion.
TEST(MarkForUnit, TellsTextsImagesAndLinksApart) {
  auto list = std::make_unique<reading::ReadingList>();
  reading::PageConverter converter{*list, nullptr};
  list->SetPageTitle("T");
  converter.ConvertPage(
      "<p>A. <img src=\"u.png\" alt=\"LINK\"> <a href=\"p.htm\"><img src=\"i.png\" "
      "alt=\"Dins\"></a>"
      " <img src=\"v.png\"><a href=\"q.htm\">Imatge </a> B</p>");
  struct Case {
    int32_t unit;
    std::optional<ReadingMark> mark;
  } const cases[] = {
      {0, std::nullopt},
      {1, std::nullopt},
      {2, std::nullopt},
      {3, ReadingMark{MarkKind::Text, "A", 0}},
      {4, ReadingMark{MarkKind::Image, "LINK ", 1}},
      {5, ReadingMark{MarkKind::Image, "LINK ", 1}},
      {6, ReadingMark{MarkKind::Text, " ", 0}},
      {7, ReadingMark{MarkKind::Link, "Imatge DINS ", 1}},
      {8, ReadingMark{MarkKind::Link, "Imatge DINS ", 1}},
      {11, ReadingMark{MarkKind::Image, "V.PNG", 2}},
      {12, ReadingMark{MarkKind::Link, "IMATGE ", 2}},  // right after an image
      {14, ReadingMark{MarkKind::Text, " B ", 0}},
      {list->UnitCount + 1, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(reading::MarkForUnit(*list, c.unit), c.mark)
        << "unit " << c.unit << " " << list->Unit(std::min(c.unit, reading::UnitCapacity)).Text;
  }
  EXPECT_EQ(reading::MarkForLink(*list, 2), (ReadingMark{MarkKind::Link, "IMATGE ", 2}));
  EXPECT_EQ(reading::MarkForLink(*list, 3), std::nullopt);
}

TEST(FollowAlongSetting, KeptAsTheSeventhKeyAndAbsentInOlderFiles) {
  struct Case {
    const char* stored;
    bool shown;
    const char* written;
  } const cases[] = {
      {"", true, "Mostrar lectura=sí\n"},
      {"Mostrar lectura=no\n", false, "Mostrar lectura=no\n"},
      {"Mostrar lectura=sí\n", true, "Mostrar lectura=sí\n"},
      {"Mostrar lectura=No\n", true, "Mostrar lectura=sí\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    testing::TempDir dir;
    const std::string path = dir.File("Quelva2001.ini");
    testing::WriteBytes(path, "[Ombrix Sonavia]\n" + platform::Utf8ToCp1252(c.stored));
    testing::SimulatedWindow window("/w");
    TFormPrincipal& main = window.main;
    main.Settings.SetPath(path);
    main.FormCreate();
    EXPECT_EQ(main.mnuMostrarLectura.Checked(), c.shown);
    EXPECT_EQ(main.Sequencer.Follower().Enabled(), c.shown);
    main.FormClose();
    const std::string written = testing::ReadBytes(path);
    const std::string line = "\n" + platform::Utf8ToCp1252(c.written);
    EXPECT_NE(written.find(line), std::string::npos) << written;
    EXPECT_EQ(written.find(line), written.rfind(line)) << written;
  }
}

}  // namespace
}  // namespace sonavia::shell
