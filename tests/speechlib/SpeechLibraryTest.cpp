// The real libupctv.so, loaded by name as the program loads it, with its
// recording option. Without a sound device it keeps time, so every test
// runs at the pace of real speech: texts are short.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "speech/SpeechEngine.h"
#include "support/LoadedSpeechLibrary.h"
#include "support/SimulatedEventLoop.h"
#include "support/SpeechRecording.h"
#include "system/DlLibraryLoader.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using Library = sonavia::testing::LoadedSpeechLibrary;
using sonavia::testing::RecordingDir;

// Median fundamental frequency of the voiced frames, by autocorrelation.
double MedianPitch(const std::vector<int16_t>& s, int rate = 22050) {
  const size_t frame = static_cast<size_t>(rate) / 25;
  std::vector<double> pitches;
  for (size_t start = 0; start + frame < s.size(); start += frame / 2) {
    double energy = 0;
    for (size_t i = 0; i < frame; ++i) energy += double(s[start + i]) * s[start + i];
    if (energy / frame < 1e6) continue;
    double best = 0;
    size_t bestLag = 0;
    for (size_t lag = static_cast<size_t>(rate / 450); lag < static_cast<size_t>(rate / 60);
         ++lag) {
      double c = 0;
      for (size_t i = 0; i + lag < frame; ++i) c += double(s[start + i]) * s[start + i + lag];
      if (c > best) {
        best = c;
        bestLag = lag;
      }
    }
    if (bestLag > 0 && best > 0.4 * energy) pitches.push_back(double(rate) / bestLag);
  }
  if (pitches.empty()) return 0;
  std::sort(pitches.begin(), pitches.end());
  return pitches[pitches.size() / 2];
}

TEST(SpeechLibrary, SpeaksASentenceForAPlausibleTimeThenIsIdle) {
  RecordingDir rec;
  Library lib;
  ASSERT_NE(lib.handle, nullptr) << dlerror();
  EXPECT_NE(std::string(lib.About()), "");
  EXPECT_EQ(lib.Status(0), 0);
  const auto before = std::chrono::steady_clock::now();
  lib.Read("Bon dia a tothom. ");
  EXPECT_NE(lib.Status(0), 0);
  ASSERT_TRUE(lib.WaitIdle());
  const auto took = std::chrono::steady_clock::now() - before;
  const auto lines = rec.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].language, 99);
  EXPECT_EQ(lines[0].speaker, 0);
  EXPECT_EQ(lines[0].rate, 140);
  EXPECT_EQ(lines[0].stopped, 0);
  EXPECT_EQ(lines[0].text, "Bon dia a tothom. ");
  EXPECT_GT(lines[0].playedMs, 600);
  EXPECT_LT(lines[0].playedMs, 4000);
  // The status stays busy for the audio's real duration.
  EXPECT_GE(took, std::chrono::milliseconds(lines[0].playedMs));
  const auto samples = rec.Samples(1);
  EXPECT_NEAR(static_cast<double>(samples.size()) * 1000 / 22050, lines[0].playedMs, 150);
}

TEST(SpeechLibrary, MutedATextKeepsItsTimeUnheardAcrossLoadsUntilUnmuted) {
  RecordingDir rec;
  std::chrono::steady_clock::duration took{};
  {
    Library lib;
    ASSERT_NE(lib.SetMuted, nullptr);
    lib.SetMuted(1);
  }
  {
    Library lib;  // loaded again: still muted
    const auto before = std::chrono::steady_clock::now();
    lib.Read("Bon dia a tothom. ");
    EXPECT_NE(lib.Status(0), 0);
    ASSERT_TRUE(lib.WaitIdle());
    took = std::chrono::steady_clock::now() - before;
    EXPECT_TRUE(rec.Lines().empty()) << "nothing heard, nothing recorded";
    lib.SetMuted(0);
    lib.Read("Bon dia a tothom. ");
    ASSERT_TRUE(lib.WaitIdle());
  }
  const auto lines = rec.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_GE(took + std::chrono::milliseconds(150), std::chrono::milliseconds(lines[0].playedMs))
      << "as long as it lasts when heard";
}

TEST(SpeechLibrary, RateChangesTheLength) {
  RecordingDir rec;
  Library lib;
  lib.SetSpeed(60);
  lib.Read("Una frase curta. ");
  ASSERT_TRUE(lib.WaitIdle());
  lib.SetSpeed(255);
  lib.Read("Una frase curta. ");
  ASSERT_TRUE(lib.WaitIdle());
  lib.SetSpeed(0);  // ignored
  lib.SetSpeed(256);
  lib.Read("x");
  ASSERT_TRUE(lib.WaitIdle());
  const auto lines = rec.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].rate, 255);
  EXPECT_GT(rec.Samples(1).size(), 2 * rec.Samples(2).size());
}

TEST(SpeechLibrary, SpeakersDifferInPitch) {
  RecordingDir rec;
  Library lib;
  for (int speaker : {0, 1, 2}) {
    lib.SetSpeaker(speaker);
    lib.Read("Aaaa, eeee. ");
    ASSERT_TRUE(lib.WaitIdle());
  }
  lib.SetSpeaker(3);  // ignored
  lib.Read("a");
  ASSERT_TRUE(lib.WaitIdle());
  EXPECT_EQ(rec.Lines().back().speaker, 2);
  const double p0 = MedianPitch(rec.Samples(1));
  const double p1 = MedianPitch(rec.Samples(2));
  const double p2 = MedianPitch(rec.Samples(3));
  EXPECT_GT(p0, 60);
  EXPECT_GT(p1, p0 * 1.15) << p0 << " " << p1 << " " << p2;
  EXPECT_GT(p2, p1 * 1.1) << p0 << " " << p1 << " " << p2;
}

TEST(SpeechLibrary, StopSilencesAtOnce) {
  RecordingDir rec;
  Library lib;
  lib.Read("Aquesta és una frase prou llarga per a poder-la aturar pel mig sense cap problema. ");
  std::this_thread::sleep_for(300ms);
  EXPECT_NE(lib.Status(0), 0);
  lib.Stop();
  EXPECT_EQ(lib.Status(0), 0);
  const auto size = fs::file_size(rec.Path() + "/0001.wav");
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(fs::file_size(rec.Path() + "/0001.wav"), size) << "samples after the stop";
  const auto lines = rec.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].stopped, 1);
  EXPECT_GT(lines[0].playedMs, 100);
  EXPECT_LT(lines[0].playedMs, 600);
  lib.Stop();  // stopping the silence is harmless
  EXPECT_EQ(rec.Lines().size(), 1u);
}

TEST(SpeechLibrary, AReadWhileSpeakingReplacesTheText) {
  RecordingDir rec;
  Library lib;
  lib.SetLanguage(101);
  lib.Read("Una frase bastante larga que no llegará al final. ");
  std::this_thread::sleep_for(200ms);
  lib.SetLanguage(7);  // ignored
  lib.Read("Hola. ");
  ASSERT_TRUE(lib.WaitIdle());
  const auto lines = rec.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].stopped, 1);
  EXPECT_EQ(lines[1].stopped, 0);
  EXPECT_EQ(lines[1].language, 101);
  EXPECT_EQ(lines[1].text, "Hola. ");
}

TEST(SpeechLibrary, ABlankUnitEndsAtOnce) {
  RecordingDir rec;
  Library lib;
  lib.Read(" ");
  ASSERT_TRUE(lib.WaitIdle(1000ms));
  lib.Read("");
  ASSERT_TRUE(lib.WaitIdle(1000ms));
  const auto lines = rec.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].playedMs, 0);
  EXPECT_EQ(lines[0].stopped, 0);
}

TEST(SpeechLibrary, ReadsFilesInUtf8OrElseInWindows1252) {
  RecordingDir rec;
  Library lib;
  lib.ReadFile("/nonexistent/file.txt");
  EXPECT_EQ(lib.Status(0), 0);
  struct Case {
    const char* bytes;
    const char* heard;
  } const cases[] = {
      {"Fitxer.", "Fitxer."},
      {"Fitxer en català.", "Fitxer en català."},
      {"Fitxer en catal\xE0 \x80.", "Fitxer en català €."},
      {"\xEF\xBB\xBF"
       "Amb marca.",
       "Amb marca."},
  };
  const std::string path = rec.Path() + "/text.txt";
  for (const auto& c : cases) {
    std::ofstream(path) << c.bytes;
    ASSERT_EQ(lib.ReadFile(path.c_str()), 0);
    EXPECT_NE(lib.Status(0), 0);
    ASSERT_TRUE(lib.WaitIdle());
    EXPECT_EQ(rec.Lines().back().text, c.heard);
  }
  EXPECT_EQ(rec.Lines().size(), std::size(cases));
}

// A text as a page in another script holds it, in that language's voice:
// every letter reaches eSpeak NG, which would break a word where a small
// letter meets a capital, so case is folded in every script.
TEST(SpeechLibrary, OtherScriptsAreReadLetterForLetter) {
  RecordingDir rec;
  Library lib;
  struct Case {
    const char* language;
    const char* text;
    const char* folded;  // read for comparison: the same words in small letters
    int64_t shortest, longest;
  } const cases[] = {
      {"el", "ζΩΉ. ", "ζωή. ", 200, 900},
      {"ru", "мИР. ", "мир. ", 150, 800},
      {"pl", "zaŻÓŁĆ gęŚLĄ jaŹŃ. ", "zażółć gęślą jaźń. ", 1000, 2500},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(lib.SetLanguageName(c.language), 0);
    for (const char* text : {c.text, c.folded}) {
      ASSERT_EQ(lib.Read(text), 0);
      ASSERT_TRUE(lib.WaitIdle());
    }
  }
  const auto lines = rec.Lines();
  ASSERT_EQ(lines.size(), 2 * std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    EXPECT_EQ(lines[2 * i].text, c.text);
    EXPECT_EQ(lines[2 * i].languageName, c.language);
    EXPECT_GE(lines[2 * i].playedMs, c.shortest) << c.text;
    EXPECT_LE(lines[2 * i].playedMs, c.longest) << c.text;
    // eSpeak NG varies a little from one reading to the next.
    const auto read = static_cast<double>(rec.Samples(static_cast<int>(2 * i + 1)).size());
    const auto folded = static_cast<double>(rec.Samples(static_cast<int>(2 * i + 2)).size());
    EXPECT_NEAR(read, folded, 0.03 * folded) << c.text << " is not read as " << c.folded;
  }
}

size_t Count(const char* dir) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}));
}

TEST(SpeechLibrary, LoadSpeakFreeCyclesReleaseEverything) {
  {
    Library warm;  // the engine stays loaded from here on
    warm.Read("a");
  }
  const size_t fds = Count("/proc/self/fd");
  const size_t threads = Count("/proc/self/task");
  for (int i = 0; i < 100; ++i) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr);
    lib.SetSpeaker(i % 3);
    lib.Read("Prova de càrrega. ");
    if (i % 10 == 0) std::this_thread::sleep_for(20ms);
  }
  // Loads freed before anything was spoken, as quick voice switches do.
  for (int i = 0; i < 10; ++i) {
    Library lib;
    lib.SetSpeed(140 + i);
    if (i % 2 == 0) lib.Stop();
  }
  std::this_thread::sleep_for(200ms);
  EXPECT_LE(Count("/proc/self/fd"), fds + 1);
  EXPECT_LE(Count("/proc/self/task"), threads + 1);
}

TEST(SpeechLibrary, StopRacingTheWorker) {
  RecordingDir rec;
  Library lib;
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> pause(0, 15);
  for (int i = 0; i < 200; ++i) {
    if (i % 2 == 0) {
      lib.Read("Hola, bon dia. ");
    } else {
      lib.Stop();
      ASSERT_EQ(lib.Status(0), 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(pause(rng)));
  }
  lib.Stop();
  EXPECT_EQ(lib.Status(0), 0);
  EXPECT_EQ(rec.Lines().size(), 100u);
}

// Through the binding, as the program speaks.
TEST(SpeechLibrary, TheBindingSpeaksBothVoicesAndLanguages) {
  RecordingDir rec;
  sonavia::system::DlLibraryLoader loader;
  auto list = std::make_unique<sonavia::reading::ReadingList>();
  sonavia::platform::Edit speed("EditVelocitat");
  speed.SetText("180");
  sonavia::speech::SpeechEngine engine(loader, *list, speed, [] { return std::string("/"); });
  ASSERT_FALSE(engine.LoadSpeechEngine()) << dlerror();
  engine.UseTextVoice();
  engine.upcTVRead("Bon dia. ");
  Library waiter;
  ASSERT_TRUE(waiter.WaitIdle());
  engine.SelectCastilian();
  engine.UseItemVoice();
  engine.upcTVRead("Buenos días. ");
  ASSERT_TRUE(waiter.WaitIdle());
  engine.FreeSpeechEngine();
  const auto lines = rec.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].language, 99);
  EXPECT_EQ(lines[0].speaker, 0);
  EXPECT_EQ(lines[0].text, "Bon dia. ");
  EXPECT_EQ(lines[1].language, 101);
  EXPECT_EQ(lines[1].speaker, 0);
  EXPECT_EQ(lines[1].rate, 180);
  EXPECT_EQ(lines[1].text, "Buenos días. ");
}

// A page's language by its name, in the eSpeak NG voice that speaks it.
TEST(SpeechLibrary, ALanguageByItsNameIsHeardInItsOwnVoice) {
  RecordingDir rec;
  Library lib;
  struct Step {
    int32_t code;      // upcTVSetLanguage first, or 0
    const char* name;  // then upcTVSetLanguageName, or null
    int32_t result;
    const char* heard;  // the language recorded
  } const steps[] = {
      {0, "en-US", 0, "en-us"}, {0, "PT_br", 0, "pt-br"},
      {0, "de", 0, "de"},       {101, nullptr, 0, "101"},  // a code ends a name
      {0, "xx", 0, "101"},                                 // no voice: the code's language
      {0, "fr", 0, "fr"},       {0, "x y", -1, "fr"},      // not a name: nothing changes
      {0, "", 0, "101"},                                   // an empty name ends it
      {99, "en", 0, "en"},
  };
  for (const auto& step : steps) {
    if (step.code != 0) lib.SetLanguage(step.code);
    if (step.name != nullptr) {
      EXPECT_EQ(lib.SetLanguageName(step.name), step.result) << step.name;
    }
    lib.Read("Ok. ");
    ASSERT_TRUE(lib.WaitIdle());
  }
  EXPECT_EQ(lib.SetLanguageName(nullptr), -1);
  const auto lines = rec.Lines();
  ASSERT_EQ(lines.size(), std::size(steps));
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].languageName, steps[i].heard) << i;
    EXPECT_GT(lines[i].playedMs, 100) << i;
  }
}

TEST(SpeechLibrary, ALanguageByItsNameKeepsEachSpeakersPitchInItsOwnVoice) {
  RecordingDir rec;
  Library lib;
  lib.SetLanguageName("en");
  // At eSpeak NG's own speed: the time-scaling of other rates, on held
  // vowels, misleads this measure of the pitch.
  lib.SetSpeed(180);
  for (int speaker : {0, 2}) {
    lib.SetSpeaker(speaker);
    lib.Read("Aaaa, eeee. ");
    ASSERT_TRUE(lib.WaitIdle());
  }
  // English words with letters English does not sound, in English and then
  // by Catalan rules, which sound more of them: longer by about a sixth.
  lib.SetSpeaker(0);
  lib.Read("Knight thought through. ");
  ASSERT_TRUE(lib.WaitIdle());
  lib.SetLanguage(99);
  lib.Read("Knight thought through. ");
  ASSERT_TRUE(lib.WaitIdle());
  ASSERT_EQ(rec.Lines().size(), 4u);
  EXPECT_EQ(rec.Lines()[1].languageName, "en");
  EXPECT_EQ(rec.Lines()[2].languageName, "en");
  const double low = MedianPitch(rec.Samples(1));
  const double high = MedianPitch(rec.Samples(2));
  EXPECT_GT(low, 60);
  EXPECT_GT(high, low * 1.3) << low << " " << high;
  EXPECT_GT(static_cast<double>(rec.Samples(4).size()),
            1.08 * static_cast<double>(rec.Samples(3).size()))
      << "read by English rules";
}

}  // namespace

// The whole reading core for real: the tool converts a page and reads it
// with the speech library and the sequencer, in real time.
TEST(ReadingAloud, TheToolReadsAPageUnitByUnit) {
  RecordingDir rec;
  const std::string page = rec.Path() + "/page.html";
  std::ofstream(page) << "<p>Hola a tothom. <a href=\"a.htm\">Enlla&ccedil;</a> final.</p>";
  const std::string command = std::string(SONAVIA_READING_LIST_TOOL) + " --title Prova --speak " +
                              page + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const auto lines = rec.Lines();
  const std::vector<std::string> texts = {"Títol ", "Prova ",  "HOLA A TOTHOM ",
                                          "LINK ",  "ENLLAç ", " FINAL.  "};
  const std::vector<int> speakers = {0, 2, 0, 2, 2, 0};
  ASSERT_EQ(lines.size(), texts.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].text, texts[i]) << i;
    EXPECT_EQ(lines[i].speaker, speakers[i]) << i;
    EXPECT_EQ(lines[i].language, 99) << i;
    EXPECT_EQ(lines[i].stopped, 0) << i;
    if (i == 0) continue;
    EXPECT_EQ(lines[i].rate, 180) << "the speed field's rate, from the first reload on";
    const int64_t gap = lines[i].start - (lines[i - 1].start + lines[i - 1].playedMs);
    if (i == 1) {
      EXPECT_LT(gap, 250) << "the title follows the word at once";
    } else {
      EXPECT_GE(gap, 500) << i;
      EXPECT_LT(gap, 800) << i;
    }
  }
}
