// The window keeps its settings: read as the last step of its creation,
// written as the last step of its close, after the speech library is gone.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "shell/FormPrincipal.h"
#include "support/SimulatedWindow.h"
#include "support/TempDir.h"

namespace sonavia::shell {
namespace {

const std::string kStep =
    "D\xE8"
    "cimes de segon que dura el pas d'escaneig";
const std::string kPause =
    "D\xE8"
    "cimes de segon que dura el paro de l'escaneig";

TEST(FormSettings, ReadAtCreationAndWrittenAtCloseAfterTheLibraryIsFreed) {
  testing::TempDir dir;
  const std::string path = dir.File("sonavia/Quelva2001.ini");
  std::filesystem::create_directories(dir.Path() / "sonavia");
  testing::WriteBytes(path, "[Ombrix Sonavia]\nParlar=no\nVelocitat de lectura=120\n" + kStep +
                                "=5\n" + kPause + "=100\n");

  testing::SimulatedWindow window("/home/u");
  TFormPrincipal& main = window.main;
  main.Settings.SetPath(path);
  StartProgram(main, window.about, window.loop);
  EXPECT_FALSE(main.mnuParlar.Checked());
  EXPECT_EQ(main.SpeedButtonParlar.Caption(), "Parlar");
  EXPECT_EQ(main.EditVelocitat.Text(), "120");
  EXPECT_EQ(window.library.rate, 120);
  EXPECT_EQ(main.TimerEscaneig->Interval(), 500u);
  EXPECT_EQ(main.TimerParo->Interval(), 10000u);

  main.EditVelocitat.SetText("90");
  std::string atFree;
  window.loop.Post(1499, [&] { atFree = testing::ReadBytes(path); });
  main.FormClose();
  EXPECT_NE(atFree.find("=120\n"), std::string::npos) << "not written before the close's end";
  EXPECT_EQ(testing::ReadBytes(path),
            "[Ombrix Sonavia]\nParlar=no\nVelocitat de lectura=90\n" + kStep + "=5\n" + kPause +
                "=100\nLlengua=Catal\xE0\nEscaneig=no\nMostrar lectura=s\xED\n"
                "Escaneig parlat=no\nD\xE8"
                "cimes de segon que s'ignora el polsador=0\n"
                "Un pas m\xE9s despr\xE9s de pr\xE9mer=no\n"
                "Ampliaci\xF3 de la p\xE0gina=100\n"
                "Llengua de la p\xE0gina=s\xED\n"
                "Repetir el que s'escriu=s\xED\n"
                "Deixar parlar el lector de pantalla=no\n"
                "Lector de pantalla ofert=no\n"
                "Pr\xE9mer llarg obre el segon cicle=no\n"
                "Llegir l'article=s\xED\n");
}

// The stored settings applied through the window's own commands.
TEST(FormSettings, TheStoredLanguageSpeechAndScanningThroughTheRealCommands) {
  struct Case {
    const char* name;
    const char* stored;
    bool library;
    bool castilian, speech, scanning;
    const char* writtenLanguage;
    const char* writtenSpeech;
  } const cases[] = {
      {"Castilian, silent, scanning", "Llengua=Castell\xE0\nParlar=no\nEscaneig=s\xED\n", true,
       true, false, true, "Castell\xE0", "no"},
      {"exact words only", "Llengua=castell\xE0\nParlar=No\nEscaneig=si\n", true, false, true,
       false, "Catal\xE0", "s\xED"},
      {"no speech library", "Llengua=Castell\xE0\n", false, false, false, false, "Castell\xE0",
       "no"},
  };
  for (const auto& c : cases) {
    testing::TempDir dir;
    const std::string path = dir.File("Quelva2001.ini");
    testing::WriteBytes(path, std::string("[Ombrix Sonavia]\n") + c.stored);
    testing::SimulatedWindow window("/h");
    TFormPrincipal& main = window.main;
    window.library.available = c.library;
    main.Settings.SetPath(path);
    StartProgram(main, window.about, window.loop);
    EXPECT_EQ(main.mnuCastella.Checked(), c.castilian) << c.name;
    EXPECT_EQ(main.mnuParlar.Checked(), c.speech) << c.name;
    EXPECT_EQ(main.mnuEscaneig.Checked(), c.scanning) << c.name;
    EXPECT_EQ(main.TimerEscaneig->Enabled(), c.scanning) << c.name;
    if (c.castilian) {
      EXPECT_EQ(window.library.language, 101) << c.name;
    }
    main.FormClose();
    const std::string written = testing::ReadBytes(path);
    EXPECT_NE(written.find(std::string("Llengua=") + c.writtenLanguage + "\n"), std::string::npos)
        << c.name << ": " << written;
    EXPECT_NE(written.find(std::string("Parlar=") + c.writtenSpeech + "\n"), std::string::npos)
        << c.name << ": " << written;
  }
}

// The switch's three settings: read at creation, applied, written back.
TEST(FormSettings, SpokenScanningTheIgnoreTimeAndTheDelayAfterAPress) {
  const std::string kIgnore =
      "D\xE8"
      "cimes de segon que s'ignora el polsador";
  const std::string kDelay = "Un pas m\xE9s despr\xE9s de pr\xE9mer";
  struct Case {
    std::string stored;
    bool library;
    bool spoken;
    int ignore;
    bool delay;
    std::string written;
  } const cases[] = {
      {"", true, false, 0, false, "Escaneig parlat=no\n" + kIgnore + "=0\n" + kDelay + "=no\n"},
      {"Escaneig parlat=s\xED\n" + kIgnore + "=5\n" + kDelay + "=s\xED\n", true, true, 5, true,
       "Escaneig parlat=s\xED\n" + kIgnore + "=5\n" + kDelay + "=s\xED\n"},
      {kIgnore + "=20\n", true, false, 20, false, ""},
      {kIgnore + "=21\n", true, false, 0, false, kIgnore + "=0\n"},
      {kIgnore + "=-3\n", true, false, 0, false, kIgnore + "=0\n"},
      {kIgnore + "= 7 d\xE8"
                 "cimes\n",
       true, false, 7, false, kIgnore + "=7\n"},
      // Exact words, as for the other keys.
      {"Escaneig parlat=si\n" + kDelay + "=S\xED\n", true, false, 0, false, "Escaneig parlat=no\n"},
      // Without the speech library it is kept for a run that has one.
      {"Escaneig parlat=s\xED\n", false, true, 0, false, "Escaneig parlat=s\xED\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    testing::TempDir dir;
    const std::string path = dir.File("Quelva2001.ini");
    testing::WriteBytes(path, "[Ombrix Sonavia]\n" + c.stored);
    testing::SimulatedWindow window("/h");
    TFormPrincipal& main = window.main;
    window.library.available = c.library;
    main.Settings.SetPath(path);
    StartProgram(main, window.about, window.loop);
    EXPECT_EQ(main.mnuEscaneigParlat.Checked(), c.spoken);
    EXPECT_EQ(main.mnuEscaneigParlat.Enabled(), c.library);
    EXPECT_EQ(main.Presses.IgnoreTenths(), c.ignore);
    EXPECT_EQ(main.Scan.DelayAfterPress(), c.delay);
    main.FormClose();
    const std::string written = testing::ReadBytes(path);
    size_t at = 0;
    for (size_t end; (end = c.written.find('\n', at)) != std::string::npos; at = end + 1) {
      const std::string line = c.written.substr(at, end - at + 1);
      EXPECT_NE(written.find(line), std::string::npos) << line << " in " << written;
    }
  }
}

// A screen reader on the desktop: the item that leaves it the speaking is
// offered once for good, and with it checked the program says nothing while
// its reading, mark and commands go on.
TEST(FormSettings, TheScreenReadersItemOfferedOnceAndThenTheProgramSilent) {
  const std::string kLet = "Deixar parlar el lector de pantalla";
  const std::string kOffered = "Lector de pantalla ofert";
  struct Case {
    const char* what;
    std::string stored;
    bool screenReader;
    bool offer;  // said at the start
    bool silent;
    std::string written;
  } const cases[] = {
      {"first met", "", true, true, false, kLet + "=no\n" + kOffered + "=s\xED\n"},
      {"offered before", kOffered + "=s\xED\n", true, false, false,
       kLet + "=no\n" + kOffered + "=s\xED\n"},
      {"no screen reader", "", false, false, false, kLet + "=no\n" + kOffered + "=no\n"},
      {"left the speaking", kLet + "=s\xED\n", true, false, true,
       kLet + "=s\xED\n" + kOffered + "=no\n"},
      {"and no screen reader now", kLet + "=s\xED\n", false, false, true,
       kLet + "=s\xED\n" + kOffered + "=no\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempDir dir;
    const std::string path = dir.File("Quelva2001.ini");
    testing::WriteBytes(path, "[Ombrix Sonavia]\n" + c.stored);
    testing::SimulatedWindow window("/h");
    testing::ScriptedPage page;
    page.title = "Inici";
    page.body = "<body><p>Una frase. Una altra frase.</p></body>";
    window.browser.AddPage("file:///h/index.htm", page);
    TFormPrincipal& main = window.main;
    main.Settings.SetPath(path);
    main.SetScreenReaderPresent(c.screenReader);
    StartProgram(main, window.about, window.loop);
    window.loop.RunFor(3000);
    bool offered = false;
    for (const auto& voice : window.library.voices)
      offered = offered || voice.find("Hi ha un lector de pantalla") != std::string::npos;
    EXPECT_EQ(offered, c.offer);
    EXPECT_EQ(main.mnuDeixarLector.Checked(), c.silent);
    // The reading and a command (the zoom), heard or not.
    window.loop.RunFor(4000);
    main.mnuAmpliarClick();
    window.loop.RunFor(3000);
    EXPECT_EQ(window.browser.zoom, 110);
    EXPECT_EQ(main.StatusBar1.Text(), "Ampliació 110 %");
    EXPECT_FALSE(window.browser.marks.empty()) << "the mark follows the reading";
    EXPECT_EQ(window.library.voices.empty(), c.silent)
        << ::testing::PrintToString(window.library.voices);
    main.FormClose();
    const std::string written = testing::ReadBytes(path);
    for (size_t at = 0, end; (end = c.written.find('\n', at)) != std::string::npos; at = end + 1)
      EXPECT_NE(written.find(c.written.substr(at, end - at + 1)), std::string::npos) << written;
  }
}

}  // namespace
}  // namespace sonavia::shell
