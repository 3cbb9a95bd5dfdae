// The favourites: their file, line by line, on disk; and a switch opening
// one and adding the page it is on, counted in presses.
#include "controls/Favourites.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "controls/SwitchWindow.h"

namespace sonavia::controls {
namespace {

using testing::Lines;
using testing::SwitchRig;

TEST(FavouritesFile, ALineIsAFavouriteOnlyWhenItHasAnAddressATabAndAName) {
  struct Case {
    std::string line;
    std::string address, name;  // empty: not a favourite
  } const cases[] = {
      {"https://www.xtec.cat/\tXTEC", "https://www.xtec.cat/", "XTEC"},
      {"file:///home/u/pàgina.htm\tLa  meva\tpàgina ", "file:///home/u/pàgina.htm",
       "La meva pàgina"},
      {"https://a.cat/", "", ""},
      {"\tSense adreça", "", ""},
      {"https://a.cat/\t   ", "", ""},
      {"https://a.cat/ b\tEspai", "", ""},
      {"https://a.cat/\tMal\xe0 codificat", "", ""},
      {"https://a.cat/" + std::string(3000, 'x') + "\tLlarga", "", ""},
  };
  for (const Case& c : cases) {
    const auto f = ParseFavourite(c.line);
    EXPECT_EQ(f ? f->address : "", c.address) << c.line.substr(0, 40);
    EXPECT_EQ(f ? f->name : "", c.name) << c.line.substr(0, 40);
  }
}

class FavouritesOnDisk : public ::testing::Test {
 protected:
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("favourites-" + std::to_string(::getpid()) + "-" +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::string path = (dir / kFavouritesFileName).string();
  Favourites favs{{[] { return std::string("file:///w/index.htm"); }, nullptr, nullptr}};

  void SetUp() override { std::filesystem::create_directories(dir); }
  void TearDown() override { std::filesystem::remove_all(dir); }
  void WriteFile(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  std::string ReadFile() const {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  Lines Names() const {
    Lines names;
    for (const Favourite& f : favs.List()) names.push_back(f.name + " " + f.address);
    return names;
  }
};

TEST_F(FavouritesOnDisk, BrokenLinesAreSkippedAndKeptWhereTheyWereWhenTheFileIsWritten) {
  WriteFile("https://a.cat/\tA\r\nres de res\nhttps://b.cat/\tB\n\xff\xfe\tX\n");
  favs.Load(path);
  EXPECT_EQ(Names(),
            (Lines{"Pàgina d'inici file:///w/index.htm", "A https://a.cat/", "B https://b.cat/"}));
  EXPECT_EQ(favs.Add("https://c.cat/", "El\ntemps\t a C"), "El temps a C");
  EXPECT_TRUE(favs.Rename("https://a.cat/", "Ara A"));
  EXPECT_TRUE(favs.Remove("https://b.cat/"));
  EXPECT_FALSE(favs.Rename("file:///w/index.htm", "Inici")) << "the start page is not in the file";
  EXPECT_EQ(ReadFile(),
            "https://a.cat/\tAra A\nres de res\n\xff\xfe\tX\nhttps://c.cat/\tEl temps a C\n");
  // Written through a temporary file: nothing else is left in the folder.
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++files;
  EXPECT_EQ(files, 1);
  // Read again, as the next run does.
  Favourites again{{[] { return std::string("file:///w/index.htm"); }, nullptr, nullptr}};
  again.Load(path);
  EXPECT_EQ(again.List().size(), 3u);
  EXPECT_EQ(again.List()[2].name, "El temps a C");
}

TEST_F(FavouritesOnDisk, WithoutAFileTheStartPageIsTheOnlyOneAndAnAddedPageMakesTheFile) {
  favs.Load(path);
  EXPECT_EQ(Names(), (Lines{"Pàgina d'inici file:///w/index.htm"}));
  favs.Add("https://a.cat/", "");
  EXPECT_EQ(ReadFile(), "https://a.cat/\thttps://a.cat/\n") << "named by its address";
}

// The switch: a long press, the place, and the favourite, from wherever the
// scan is.
TEST(FavouritesBySwitch, AFavouriteOpensInThreePressesFromAnyStateAndThePageIsAddedInTwo) {
  struct Case {
    const char* state;
    std::function<void(SwitchRig&)> reach;
  } const cases[] = {
      {"on the buttons", [](SwitchRig&) {}},
      {"resting", [](SwitchRig& r) { r.RunUntil([&] { return r.main.Scan.Resting(); }, 90000); }},
      {"typing", [](SwitchRig& r) { r.main.OpenKeyboard(); }},
      {"on a link",
       [](SwitchRig& r) {
         r.main.mnuCanviLlegirLinksLecturesClick();
         r.RunUntil([&] { return r.main.Scan.LinkOffered() > 0; });
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    SwitchRig r;
    r.LoadPage();
    r.main.Favs.Add("file:///w/b.htm", "Segona");
    r.ScanOn(true);
    r.RunTo(r.loop.Elapsed() + 2000);
    c.reach(r);
    int presses = 0;
    r.Press(1600);
    ++presses;
    ASSERT_TRUE(r.RunUntil([&] {
      return r.main.Scan.InSecondCycle() &&
             r.ButtonAt(r.main.Scan.FramedIndex()) == &r.main.SwitchPlaces.SpeedButtonEscPreferits;
    }));
    r.Press();
    ++presses;
    // Each said by its name as it is offered; the second is the one wanted.
    ASSERT_TRUE(r.RunUntil([&] { return r.main.Favs.Offered() == 1u; }));
    EXPECT_EQ(r.main.StatusBar1.Text(), "Segona");
    r.Press();
    ++presses;
    EXPECT_TRUE(r.Navigated("file:///w/b.htm"));
    EXPECT_EQ(presses, 3);
  }

  SwitchRig r;
  r.LoadLongPage(3);
  r.ScanOn(false);
  r.RunTo(r.loop.Elapsed() + 2000);
  r.Press(1600);
  ASSERT_TRUE(r.RunUntil([&] {
    return r.main.Scan.InSecondCycle() && r.ButtonAt(r.main.Scan.FramedIndex()) ==
                                              &r.main.SwitchPlaces.SpeedButtonEscAfegirPreferit;
  }));
  r.Press();
  ASSERT_EQ(r.main.Favs.List().size(), 2u);
  EXPECT_EQ(r.main.Favs.List()[1].address, "file:///w/llarga.htm");
  EXPECT_EQ(r.main.Favs.List()[1].name, "Llarga") << "named by the page's title";
}

}  // namespace
}  // namespace sonavia::controls
