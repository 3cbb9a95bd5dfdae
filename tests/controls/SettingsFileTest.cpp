#include "controls/SettingsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/UnitTools.h"
#include "reading/ReadingList.h"
#include "support/FakeSpeechLibrary.h"
#include "support/SimulatedEventLoop.h"
#include "support/TempDir.h"

namespace sonavia::controls {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

const std::string kStep =
    "D\xE8"
    "cimes de segon que dura el pas d'escaneig";
const std::string kPause =
    "D\xE8"
    "cimes de segon que dura el paro de l'escaneig";

// What the settings decide, as seen on the window.
struct Seen {
  bool castilian = false;
  bool speechOn = true;
  bool scanning = false;
  std::string rate = "180";
  std::vector<int32_t> ratesSent = {};
  std::string step = "15";
  uint32_t stepInterval = 1500;
  std::string pause = "30";
  uint32_t pauseInterval = 3000;
  bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
  out << (s.castilian ? "Castilian" : "Catalan") << (s.speechOn ? " speech" : " silent")
      << (s.scanning ? " scanning" : "") << " rate=" << s.rate << " sent=";
  for (auto r : s.ratesSent) out << r << ",";
  return out << " step=" << s.step << "/" << s.stepInterval << " pause=" << s.pause << "/"
             << s.pauseInterval;
}

// The window's controls as the form leaves them before the settings, with
// stand-ins for the language and scanning commands that do what those do.
class Window {
 public:
  explicit Window(bool withLibrary) {
    library.available = withLibrary;
    mnuCatala.SetChecked(true);
    EditVelocitat.SetText("180");
    TextDecimesScan.SetText("15");
    TextTimerParo.SetText("30");
    TimerEscaneig->SetEnabled(false);
    TimerParo->SetEnabled(false);
    if (speech.LoadSpeechEngine()) {  // the reduced mode
      mnuCatala.SetChecked(false);
      mnuParlar.SetChecked(false);
    }
    library.ClearLog();
  }

  void SetPath(const std::string& path) { settings.SetPath(path); }

  Seen State() const {
    Seen s;
    s.castilian = mnuCastella.Checked();
    EXPECT_NE(mnuCatala.Checked() && mnuCastella.Checked(), true);
    s.speechOn = mnuParlar.Checked();
    if (speech.Loaded()) {  // without it the speech command is out of reach
      EXPECT_EQ(SpeedButtonParlar.Caption(), s.speechOn ? "No parlar" : "Parlar");
      EXPECT_EQ(mnuParlar.Caption(),
                s.speechOn ? "Desactivar la &Lectura (pausa)" : "Activar la &Lectura (continuar)");
    }
    s.scanning = mnuEscaneig.Checked();
    EXPECT_EQ(TimerEscaneig->Enabled(), s.scanning);
    s.rate = EditVelocitat.Text();
    for (const auto& call : library.calls) {
      if (call.rfind("SetSpeed(", 0) == 0) s.ratesSent.push_back(std::stoi(call.substr(9)));
    }
    s.step = TextDecimesScan.Text();
    s.stepInterval = TimerEscaneig->Interval();
    s.pause = TextTimerParo.Text();
    s.pauseInterval = TimerParo->Interval();
    return s;
  }

  testing::SimulatedEventLoop loop;
  testing::FakeSpeechLibrary library{loop};
  std::unique_ptr<reading::ReadingList> list = std::make_unique<reading::ReadingList>();
  platform::MenuItem mnuCatala{"mnuCatala"}, mnuCastella{"mnuCastella"}, mnuParlar{"mnuParlar"},
      mnuEscaneig{"mnuEscaneig"};
  platform::Button SpeedButtonParlar{"SpeedButtonParlar"};
  platform::Edit EditVelocitat{"EditVelocitat"}, TextDecimesScan{"TextDecimesScan"},
      TextTimerParo{"TextTimerParo"};
  std::unique_ptr<platform::Timer> TimerEscaneig = loop.CreateTimer(),
                                   TimerParo = loop.CreateTimer();
  speech::SpeechEngine speech{library, *list, EditVelocitat,
                              [] { return std::string("file:///index.htm"); }};
  // Speech on, as the form starts.
  SpeechSwitch speechSwitch{mnuParlar, SpeedButtonParlar};
  SettingsFile settings{{mnuCatala, speechSwitch, mnuEscaneig, EditVelocitat, TextDecimesScan,
                         TextTimerParo, *TimerEscaneig, *TimerParo},
                        speech,
                        [this] {
                          // Castilian, and the reading restarted with speech on.
                          mnuCatala.SetChecked(false);
                          mnuCastella.SetChecked(true);
                          speechSwitch.Set(true);
                        },
                        [this] {
                          mnuEscaneig.SetChecked(!mnuEscaneig.Checked());
                          TimerEscaneig->SetInterval(static_cast<uint32_t>(
                              platform::ReadWholeNumber(TextDecimesScan.Text()) * 100));
                          TimerEscaneig->SetEnabled(mnuEscaneig.Checked());
                        }};
};

class Settings : public ::testing::Test {
 protected:
  testing::TempDir dir;
  std::string path = dir.File("config/sonavia/Quelva2001.ini");

  void Store(const std::vector<std::pair<std::string, std::string>>& keys) {
    std::string text = "[Ombrix Sonavia]\n";
    for (const auto& [key, value] : keys) text += key + "=" + value + "\n";
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteBytes(path, text);
  }
  static std::string Written(const std::string& language, const std::string& speech,
                             const std::string& scanning, const std::string& rate,
                             const std::string& step, const std::string& pause) {
    return "[Ombrix Sonavia]\nLlengua=" + language + "\nParlar=" + speech +
           "\nEscaneig=" + scanning + "\nVelocitat de lectura=" + rate + "\n" + kStep + "=" + step +
           "\n" + kPause + "=" + pause + "\n";
  }
};

TEST_F(Settings, AFreshMachineStartsWithTheDefaultsAndKeepsThemAtClose) {
  Window window(true);
  window.SetPath(path);
  window.settings.ReadAndApply();
  EXPECT_EQ(window.State(), Seen{});
  EXPECT_TRUE(window.mnuCatala.Checked());
  EXPECT_FALSE(window.TimerParo->Enabled());
  ASSERT_TRUE(window.settings.Write());
  EXPECT_EQ(ReadBytes(path), Written("Catal\xE0", "s\xED", "no", "180", "15", "30"));
}

struct StoredCase {
  const char* what;
  std::vector<std::pair<std::string, std::string>> keys;
  Seen expected;
};

TEST_F(Settings, StoredValuesAreTakenOnlyWhenExactAndInRange) {
  const std::string rate = "Velocitat de lectura";
  const StoredCase cases[] = {
      {"Castilian", {{"Llengua", "Castell\xE0"}}, {.castilian = true}},
      {"castilian in lower case", {{"Llengua", "castell\xE0"}}, {}},
      {"speech off", {{"Parlar", "no"}}, {.speechOn = false}},
      {"No with a capital", {{"Parlar", "No"}}, {}},
      {"scanning on", {{"Escaneig", "s\xED"}}, {.scanning = true}},
      {"si without its accent", {{"Escaneig", "si"}}, {}},
      {"Si with a capital", {{"Escaneig", "S\xED"}}, {}},
      {"Castilian, then silence",
       {{"Parlar", "no"}, {"Llengua", "Castell\xE0"}},
       {.castilian = true, .speechOn = false}},
      {"rate 120", {{rate, "120"}}, {.rate = "120", .ratesSent = {120}}},
      {"rate 254, text as read", {{rate, "254 ppm"}}, {.rate = "254 ppm", .ratesSent = {254}}},
      // The rate edit's range, so that what the user chose comes back.
      {"rate 255", {{rate, "255"}}, {.rate = "255", .ratesSent = {255}}},
      {"rate 1", {{rate, "1"}}, {.rate = "1", .ratesSent = {1}}},
      {"rate 256", {{rate, "256"}}, {}},
      {"rate 0", {{rate, "0"}}, {}},
      {"rate not a number", {{rate, "r\xE0pid"}}, {}},
      // A value is read into 50 characters, the last one its end.
      {"rate of 49 characters",
       {{rate, std::string(46, '0') + "120"}},
       {.rate = std::string(46, '0') + "120", .ratesSent = {120}}},
      {"rate of 50 characters, cut",
       {{rate, std::string(47, '0') + "120"}},
       {.rate = std::string(47, '0') + "12", .ratesSent = {12}}},
      {"step 101", {{kStep, "101"}}, {}},
      {"step 0", {{kStep, "0"}}, {}},
      {"step 1", {{kStep, "1"}}, {.step = "1", .stepInterval = 100}},
      {"pause 100", {{kPause, "100"}}, {.pause = "100", .pauseInterval = 10000}},
      {"pause not a number", {{kPause, "llarg"}}, {}},
      {"scanning at the stored step",
       {{"Escaneig", "s\xED"}, {kStep, "5"}},
       {.scanning = true, .step = "5", .stepInterval = 500}},
      // A file saved in UTF-8 by hand, its keys with accents too.
      {"UTF-8 by hand",
       {{"Llengua", "Castell\xC3\xA0"},
        {"Escaneig", "s\xC3\xAD"},
        {"D\xC3\xA8"
         "cimes de segon que dura el pas d'escaneig",
         "5"}},
       {.castilian = true, .scanning = true, .step = "5", .stepInterval = 500}},
  };
  for (const auto& c : cases) {
    Store(c.keys);
    Window window(true);
    window.SetPath(path);
    window.settings.ReadAndApply();
    EXPECT_EQ(window.State(), c.expected) << c.what;
  }
}

TEST_F(Settings, WithoutTheSpeechLibraryTheLanguageWaitsForARunThatHasIt) {
  Store({{"Llengua", "Castell\xE0"}, {"Velocitat de lectura", "120"}});
  Window reduced(false);
  reduced.SetPath(path);
  reduced.settings.ReadAndApply();
  Seen expected;
  expected.speechOn = false;
  expected.rate = "120";  // shown, not sent: there is no library
  EXPECT_EQ(reduced.State(), expected);
  EXPECT_FALSE(reduced.mnuCatala.Checked());
  ASSERT_TRUE(reduced.settings.Write());
  // The stored keys keep their lines; the missing ones follow.
  EXPECT_EQ(ReadBytes(path),
            "[Ombrix Sonavia]\nLlengua=Castell\xE0\nVelocitat de lectura=120\n"
            "Parlar=no\nEscaneig=no\n" +
                kStep + "=15\n" + kPause + "=30\n");

  Window full(true);
  full.SetPath(path);
  full.settings.ReadAndApply();
  expected.castilian = true;
  expected.ratesSent = {120};
  EXPECT_EQ(full.State(), expected) << "Castilian and silent";
}

TEST_F(Settings, WhatTheUserLeftIsWrittenAsItStandsAndCorrectedAtTheNextStart) {
  Window first(true);
  first.SetPath(path);
  first.settings.ReadAndApply();
  first.mnuCatala.SetChecked(false);
  first.mnuCastella.SetChecked(true);
  first.mnuEscaneig.SetChecked(true);
  first.EditVelocitat.SetText("200");
  first.TextDecimesScan.SetText("250");  // typed, never left
  first.TextTimerParo.SetText("7");
  ASSERT_TRUE(first.settings.Write());
  EXPECT_EQ(ReadBytes(path), Written("Castell\xE0", "s\xED", "s\xED", "200", "250", "7"));

  Window second(true);
  second.SetPath(path);
  second.settings.ReadAndApply();
  Seen expected;
  expected.castilian = true;
  expected.scanning = true;
  expected.rate = "200";
  expected.ratesSent = {200};
  expected.pause = "7";
  expected.pauseInterval = 700;
  EXPECT_EQ(second.State(), expected);
}

TEST_F(Settings, WritingKeepsTheRestOfTheFile) {
  const std::string other =
      "; kept\r\n[Altres]\r\nLlengua=Castell\xE0\r\n\r\n[ombrix sonavia]\r\nparlar = no\r\n"
      "Tema=fosc\r\n";
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  WriteBytes(path, other);
  Window window(true);
  window.SetPath(path);
  window.settings.ReadAndApply();
  EXPECT_FALSE(window.mnuParlar.Checked()) << "names match in any case";
  EXPECT_FALSE(window.mnuCastella.Checked()) << "another section's key";
  ASSERT_TRUE(window.settings.Write());
  EXPECT_EQ(ReadBytes(path),
            // A key this run read and left as it was keeps its line.
            "; kept\r\n[Altres]\r\nLlengua=Castell\xE0\r\n\r\n[ombrix sonavia]\r\nparlar = no\r\n"
            "Tema=fosc\r\nLlengua=Catal\xE0\r\nEscaneig=no\r\nVelocitat de lectura=180\r\n" +
                kStep + "=15\r\n" + kPause + "=30\r\n");
}

TEST_F(Settings, AFileSavedInUtf8ByHandIsWrittenInUtf8WithNothingLost) {
  const std::string kept = "; coŀlecció de l'escola\n[Ombrix Sonavia]\nLlengua=Castellà\n";
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  WriteBytes(path, kept);
  Window window(true);
  window.SetPath(path);
  window.settings.ReadAndApply();
  EXPECT_TRUE(window.mnuCastella.Checked());
  window.mnuEscaneig.SetChecked(true);
  ASSERT_TRUE(window.settings.Write());
  EXPECT_EQ(ReadBytes(path), kept +
                                 "Parlar=sí\nEscaneig=sí\nVelocitat de lectura=180\n"
                                 "Dècimes de segon que dura el pas d'escaneig=15\n"
                                 "Dècimes de segon que dura el paro de l'escaneig=30\n");
}

TEST_F(Settings, AFileThatCannotBeWrittenIsNamedOnceAndLeftAlone) {
  WriteBytes(dir.File("config"), "a file where the folders should be");
  Window window(true);
  window.SetPath(path);
  window.settings.ReadAndApply();
  EXPECT_EQ(window.State(), Seen{});
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(window.settings.Write());
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "sonavia: the settings could not be written to " + path +
                ": cannot create its folder: Not a directory\n");
  EXPECT_EQ(ReadBytes(dir.File("config")), "a file where the folders should be");
}

// Two runs of the program on one file, each started before the other
// closed: a close writes over what the file holds then, and only the keys
// that its own run changed.
struct TwoRunsCase {
  const char* what;
  std::function<void(Window&)> first, second;
  bool secondWritesBetween;  // before the first run's close
  std::string expected;
};

TEST_F(Settings, TwoRunsOnOneFileEachKeepWhatTheyChanged) {
  const std::string before =
      "; posat per la mestra\r\n[Ombrix Sonavia]\r\nLlengua=Catal\xE0\r\nParlar=s\xED\r\n"
      "Escaneig=no\r\nVelocitat de lectura=180\r\n" +
      kStep + "=15\r\n" + kPause + "=30\r\n; fi\r\n[Altres]\r\nTema=fosc\r\n";
  // The file as it was with some lines replaced.
  auto with = [&](std::vector<std::pair<std::string, std::string>> changes) {
    std::string text = before;
    for (const auto& [from, to] : changes) text.replace(text.find(from), from.size(), to);
    return text;
  };
  auto castilian = [](Window& w) {
    w.mnuCatala.SetChecked(false);
    w.mnuCastella.SetChecked(true);
  };
  auto rate = [](const char* value) {
    return [value](Window& w) { w.EditVelocitat.SetText(value); };
  };
  auto nothing = [](Window&) {};
  const TwoRunsCase cases[] = {
      {"different keys", rate("200"), castilian, true,
       with({{"Llengua=Catal\xE0", "Llengua=Castell\xE0"}, {"lectura=180", "lectura=200"}})},
      {"the same key: the later close wins", rate("200"), rate("120"), true,
       with({{"lectura=180", "lectura=200"}})},
      {"the same key, the other order", rate("200"), rate("120"), false,
       with({{"lectura=180", "lectura=120"}})},
      {"a run that changed nothing writes nothing", nothing, rate("120"), true,
       with({{"lectura=180", "lectura=120"}})},
      {"a value changed and changed back is no change",
       [](Window& w) {
         w.EditVelocitat.SetText("200");
         w.EditVelocitat.SetText("180");
       },
       [](Window& w) { w.mnuEscaneig.SetChecked(true); }, true,
       with({{"Escaneig=no", "Escaneig=s\xED"}})},
  };
  for (const auto& c : cases) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteBytes(path, before);
    Window first(true), second(true);
    first.SetPath(path);
    second.SetPath(path);
    first.settings.ReadAndApply();
    second.settings.ReadAndApply();
    c.first(first);
    c.second(second);
    if (c.secondWritesBetween) {
      ASSERT_TRUE(second.settings.Write()) << c.what;
      ASSERT_TRUE(first.settings.Write()) << c.what;
    } else {
      ASSERT_TRUE(first.settings.Write()) << c.what;
      ASSERT_TRUE(second.settings.Write()) << c.what;
    }
    EXPECT_EQ(ReadBytes(path), c.expected) << c.what;
  }
}

TEST_F(Settings, AChangeWrittenAMomentAfterItIsNotWrittenAgainOverAnotherRuns) {
  // The other run's last value may even be the one the first run read.
  const std::vector<std::vector<const char*>> others = {{"120"}, {"120", "180"}};
  for (const auto& values : others) {
    Store({{"Velocitat de lectura", "180"}});
    Window first(true), second(true);
    first.SetPath(path);
    second.SetPath(path);
    first.settings.ReadAndApply();
    second.settings.ReadAndApply();
    first.EditVelocitat.SetText("200");
    first.settings.WriteIfChanged();  // as the autosave does
    for (const char* value : values) {
      second.EditVelocitat.SetText(value);
      second.settings.WriteIfChanged();
    }
    const std::string afterSecond = ReadBytes(path);
    ASSERT_NE(afterSecond.find(std::string("Velocitat de lectura=") + values.back() + "\n"),
              std::string::npos)
        << afterSecond;
    ASSERT_TRUE(first.settings.Write());  // the first run's close
    EXPECT_EQ(ReadBytes(path), afterSecond) << values.back();
  }
}

TEST_F(Settings, AValueReadAsTheDefaultIsCorrectedUnlessAnotherRunChangedIt) {
  for (const bool otherRunChangedIt : {false, true}) {
    Store({{"Parlar", "No"}});
    Window first(true), second(true);
    first.SetPath(path);
    second.SetPath(path);
    first.settings.ReadAndApply();
    second.settings.ReadAndApply();
    EXPECT_TRUE(first.mnuParlar.Checked()) << "\"No\" is not \"no\"";
    if (otherRunChangedIt) {
      second.speechSwitch.Set(false);
      ASSERT_TRUE(second.settings.Write());
    }
    ASSERT_TRUE(first.settings.Write());
    const std::string written = ReadBytes(path);
    EXPECT_NE(written.find(otherRunChangedIt ? "Parlar=no\n" : "Parlar=s\xED\n"), std::string::npos)
        << otherRunChangedIt << ": " << written;
  }
}

TEST_F(Settings, KeysTheFileLostSinceItWasReadAreWrittenAgain) {
  Store({{"Llengua", "Castell\xE0"},
         {"Parlar", "no"},
         {"Escaneig", "no"},
         {"Velocitat de lectura", "120"},
         {kStep, "15"},
         {kPause, "30"}});
  Window window(true);
  window.SetPath(path);
  window.settings.ReadAndApply();
  WriteBytes(path, "[Ombrix Sonavia]\nParlar=s\xED\n");  // edited by hand meanwhile
  ASSERT_TRUE(window.settings.Write());
  EXPECT_EQ(ReadBytes(path),
            "[Ombrix Sonavia]\nParlar=s\xED\nLlengua=Castell\xE0\nEscaneig=no\n"
            "Velocitat de lectura=120\n" +
                kStep + "=15\n" + kPause + "=30\n");
}

TEST_F(Settings, AReadOnlyFileIsLeftAsItIsWhoeverRunsTheProgram) {
  Store({{"Parlar", "no"}});
  const std::string locked = ReadBytes(path);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  Window window(true);
  window.SetPath(path);
  window.settings.ReadAndApply();
  EXPECT_FALSE(window.mnuParlar.Checked()) << "read as any file";
  window.EditVelocitat.SetText("200");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(window.settings.Write());
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find(path), std::string::npos) << said;
  EXPECT_NE(said.find("read-only"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_EQ(ReadBytes(path), locked);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0444u);
}

TEST_F(Settings, WithoutAPathTheDefaultsApplyAndNothingIsWritten) {
  Window window(true);
  window.settings.ReadAndApply();
  EXPECT_EQ(window.State(), Seen{});
  EXPECT_FALSE(window.settings.Write());
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

}  // namespace
}  // namespace sonavia::controls
