// Settings are written a moment after each change as well as at the close,
// so that a run that never closes (killed at a logout, crashed) keeps them;
// nothing is written while nothing changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "support/SimulatedWindow.h"
#include "support/TempDir.h"

namespace sonavia::shell {
namespace {

struct Change {
  const char* name;
  std::function<void(TFormPrincipal&)> make;
  const char* line;  // in the file afterwards
};

TEST(SettingsAutosave, EachChangeIsWrittenWithinTwoSecondsAndNothingElse) {
  const Change changes[] = {
      {"speech paused", [](TFormPrincipal& w) { w.mnuParlarClick(); }, "Parlar=no\n"},
      {"Castilian", [](TFormPrincipal& w) { w.mnuCastellaClick(); }, "Llengua=Castell\xE0\n"},
      {"scanning", [](TFormPrincipal& w) { w.mnuEscaneigClick(); }, "Escaneig=s\xED\n"},
      {"rate", [](TFormPrincipal& w) { w.EditVelocitat.SetText("255"); },
       "Velocitat de lectura=255\n"},
      {"scan step", [](TFormPrincipal& w) { w.TextDecimesScan.SetText("7"); },
       "D\xE8"
       "cimes de segon que dura el pas d'escaneig=7\n"},
      {"reading not shown", [](TFormPrincipal& w) { w.mnuMostrarLecturaClick(); },
       "Mostrar lectura=no\n"},
  };
  for (const auto& c : changes) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    const std::string path = dir.File("Quelva2001.ini");
    testing::SimulatedWindow run("/w");
    run.main.Settings.SetPath(path);
    StartProgram(run.main, run.about, run.loop);
    run.loop.RunFor(10000);
    EXPECT_FALSE(std::filesystem::exists(path)) << "written with nothing changed";
    c.make(run.main);
    run.loop.RunFor(2000);
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_NE(testing::ReadBytes(path).find(c.line), std::string::npos) << testing::ReadBytes(path);
    // Once written, not again until something changes.
    std::filesystem::remove(path);
    run.loop.RunFor(10000);
    EXPECT_FALSE(std::filesystem::exists(path));
  }
}

// The file is compared every two seconds: two changes, each made just as
// the one before was written, are written two seconds apart.
TEST(SettingsAutosave, ChangesAreLookedForEveryTwoSeconds) {
  testing::TempDir dir;
  const std::string path = dir.File("Quelva2001.ini");
  testing::SimulatedWindow run("/w");
  run.main.Settings.SetPath(path);
  StartProgram(run.main, run.about, run.loop);
  run.loop.RunFor(10000);
  uint64_t written[2] = {};
  for (uint64_t& at : written) {
    std::filesystem::remove(path);
    run.main.mnuParlarClick();
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i) run.loop.RunFor(10);
    at = run.loop.Elapsed();
  }
  EXPECT_EQ(written[1] - written[0], 2000u);
}

TEST(SettingsAutosave, TheCloseWritesOnlyOnceSpeechIsOver) {
  testing::TempDir dir;
  const std::string path = dir.File("Quelva2001.ini");
  testing::SimulatedWindow run("/w");
  run.main.Settings.SetPath(path);
  StartProgram(run.main, run.about, run.loop);
  run.loop.RunFor(1900);  // the next comparison is a moment away
  run.main.mnuParlarClick();
  bool writtenBeforeTheFree = false;
  run.loop.Post(1400, [&] { writtenBeforeTheFree = std::filesystem::exists(path); });
  run.main.FormClose();
  EXPECT_FALSE(writtenBeforeTheFree);
  EXPECT_NE(testing::ReadBytes(path).find("Parlar=no\n"), std::string::npos);
}

}  // namespace
}  // namespace sonavia::shell
