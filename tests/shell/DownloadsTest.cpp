// Files saved instead of shown, as the user hears them: a name that
// overwrites nothing, the saving told when it starts, now and then while it
// goes on and when it ends, and the page shown read on from where it was.
#include "shell/Downloads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "controls/SwitchWindow.h"

namespace sonavia::shell {
namespace {

using Lines = std::vector<std::string>;

TEST(FreeFileName, NeverTheNameOfAFileThereAndNeverOutsideTheFolder) {
  const struct {
    const char* wanted;
    std::set<std::string> there;
    const char* chosen;
  } cases[] = {
      {"informe.zip", {}, "informe.zip"},
      {"informe.zip", {"informe.zip"}, "informe (1).zip"},
      {"informe.zip", {"informe.zip", "informe (1).zip", "informe (2).zip"}, "informe (3).zip"},
      {"informe.zip", {"informe (1).zip"}, "informe.zip"},
      {"dades.tar.gz", {"dades.tar.gz"}, "dades (1).tar.gz"},
      {"LLEGEIX", {"LLEGEIX"}, "LLEGEIX (1)"},
      {"còpia de l'acta.pdf", {"còpia de l'acta.pdf"}, "còpia de l'acta (1).pdf"},
      {"../../.bashrc", {}, "_.._.bashrc"},
      {".ocult", {}, "ocult"},
      {"", {}, "baixada"},
      {"..", {"baixada"}, "baixada (1)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        FreeFileName(c.wanted, [&](const std::string& name) { return c.there.count(name) > 0; }),
        c.chosen)
        << c.wanted;
  }
}

TEST(DownloadNotices, AFileSavedAtOnceIsToldSavedOnly) {
  const struct {
    uint32_t takes;  // ms from its start to its end
    bool fails;
    Lines said;
  } cases[] = {
      {100, false, {"100 Fitxer desat a la carpeta de baixades: a.zip"}},
      {100, true, {"100 No he pogut desar el fitxer a.zip: la connexió s'ha tallat"}},
      {700,
       false,
       {"500 Desant el fitxer a.zip", "700 Fitxer desat a la carpeta de baixades: a.zip"}},
  };
  for (const auto& c : cases) {
    sonavia::testing::SimulatedEventLoop loop;
    Lines said;
    DownloadNotices notices(loop, [&](const std::string& text) {
      said.push_back(std::to_string(loop.Elapsed()) + " " + text);
    });
    FileSave file;
    file.name = "a.zip";
    notices.Saving(file);
    loop.RunFor(c.takes);
    file.stage = c.fails ? FileSaveStage::Failed : FileSaveStage::Saved;
    file.failure = SaveFailure::Network;
    notices.Saving(file);
    loop.RunFor(2000);
    EXPECT_EQ(said, c.said) << c.takes;
  }
}

struct FileRig : sonavia::testing::SwitchRig {
  // A page of numbered sentences, loaded and being read.
  void LoadNumberedPage() {
    sonavia::testing::ScriptedPage page;
    page.title = "Numerada";
    page.body = "<body>";
    for (const char* n : {"u", "dos", "tres", "quatre", "cinc", "sis", "set", "vuit", "nou", "deu",
                          "onze", "dotze", "tretze", "catorze", "quinze"})
      page.body += std::string("Frase ") + n + ". ";
    page.body += "</body>";
    browser.AddPage("file:///w/numerada.htm", page);
    main.GoToAddress("file:///w/numerada.htm");
    RunUntil([this] { return main.HoverSpeechArmed; });
  }
  // What the component does for a link to a file of `total` bytes that
  // arrives at `rate` bytes a second: the load begins, ends without a page,
  // and the file is saved.
  void SaveFile(const std::string& name, int64_t total, int64_t rate, bool fails = false) {
    main.Pages.PageAskedFor();
    browser.events.DownloadBegin();
    loop.RunFor(100);
    FileSave file;
    file.id = 1;
    file.name = name;
    file.total = total;
    browser.events.FileSaving(file);
    browser.events.PageKept();
    file.stage = FileSaveStage::Progress;
    while (file.received < total) {
      loop.RunFor(500);
      file.received = std::min(total, file.received + rate / 2);
      browser.events.FileSaving(file);
      if (fails && file.received * 2 > total) break;
    }
    file.stage = fails ? FileSaveStage::Failed : FileSaveStage::Saved;
    file.failure = SaveFailure::Network;
    browser.events.FileSaving(file);
  }
};

TEST(Downloads, TheSavingIsToldAndThePageReadOnFromWhereItWas) {
  const struct {
    bool fails;
    size_t progress;  // figures heard
    const char* end;
  } cases[] = {
      {false, 3, "Fitxer desat a la carpeta de baixades: informe.zip"},
      {true, 1, "No he pogut desar el fitxer informe.zip: la connexió s'ha tallat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fails);
    FileRig r;
    r.LoadNumberedPage();
    ASSERT_TRUE(r.RunUntil([&] { return r.list->UnitCursor >= 6; }))
        << ::testing::PrintToString(r.Said());
    const std::string reading = r.list->Unit(r.list->UnitCursor).Text;
    const uint64_t clicked = r.loop.Elapsed();
    // 10,000 bytes at 1,000 a second: ten seconds.
    r.SaveFile("informe.zip", 10000, 1000, c.fails);
    r.RunTo(clicked + 14000);
    Lines notices, page;
    std::vector<uint64_t> figures;  // when each progress figure was heard
    for (const std::string& line : r.Said(clicked + 1)) {
      const std::string text = line.substr(line.find(' ') + 1);
      if (text.find(" % desat") != std::string::npos) {
        figures.push_back(std::stoull(line));
        EXPECT_TRUE(text.starts_with("informe.zip: ")) << text;
      } else if (text.find("informe.zip") != std::string::npos) {
        notices.push_back(text);
      } else {
        page.push_back(text);
      }
    }
    EXPECT_EQ(notices, (Lines{"Desant el fitxer informe.zip", c.end}));
    EXPECT_EQ(figures.size(), c.progress) << ::testing::PrintToString(r.Said(clicked));
    for (size_t i = 1; i < figures.size(); ++i) EXPECT_GE(figures[i] - figures[i - 1], 4000u);
    ASSERT_FALSE(page.empty());
    EXPECT_EQ(page.front(), reading) << "the unit cut is read again from its start";
    EXPECT_EQ(std::count(page.begin(), page.end(), "Pàgina carregada"), 0);
    EXPECT_EQ(std::count(page.begin(), page.end(), "Títol"), 0);
    EXPECT_EQ(page.back(), "FRASE QUINZE") << "the reading went on to the end";
    EXPECT_TRUE(r.main.Enabled());
    EXPECT_EQ(r.main.StatusBar1.Text(), c.end);
  }
}

}  // namespace
}  // namespace sonavia::shell
