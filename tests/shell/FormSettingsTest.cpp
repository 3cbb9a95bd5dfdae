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
  EXPECT_EQ(testing::ReadBytes(path), "[Ombrix Sonavia]\nParlar=no\nVelocitat de lectura=90\n" +
                                          kStep + "=5\n" + kPause +
                                          "=100\nLlengua=Catal\xE0\nEscaneig=no\nMostrar "
                                          "lectura=s\xED\nLlengua de la p\xE0gina=s\xED\n");
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

}  // namespace
}  // namespace sonavia::shell
