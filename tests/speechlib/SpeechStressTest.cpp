// The speech library used as the program uses it, through many pages in a
// few seconds: freed and loaded again at every change of voice, language and
// rate, units of real pages cut short, the processors kept busy meanwhile.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/LoadedSpeechLibrary.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Library = sonavia::testing::LoadedSpeechLibrary;

// A page's units, one a line, and its language as the program sends it: a
// code, and a name for a language that is neither Catalan nor Castilian.
struct Page {
  Page(const char* file, int32_t languageCode, const char* languageName)
      : code(languageCode), name(languageName) {
    std::ifstream in(std::string(SONAVIA_SPEECH_TEXTS) + "/" + file);
    for (std::string line; std::getline(in, line);) units.push_back(line + " ");
  }
  int32_t code;
  const char* name;
  std::vector<std::string> units;
};

TEST(SpeechStress, ThousandsOfReloadsWhileReadingPagesUnderLoad) {
  // Castilian the most: eSpeak NG 1.51 reads past the end of a clause that
  // ends in one of its many words in -s.
  const std::vector<Page> pages = {
      {"es.txt", 101, ""},   {"es.txt", 101, ""},  {"es.txt", 101, ""},  {"es.txt", 101, ""},
      {"ca.txt", 99, ""},    {"ca.txt", 99, ""},   {"es.txt", 99, "es"}, {"el.txt", 99, "el"},
      {"ru.txt", 101, "ru"}, {"pl.txt", 99, "pl"},
  };
  for (const Page& page : pages) ASSERT_GE(page.units.size(), 5u);
  constexpr int kSteps = 6000;
  std::mt19937 rng(20250520);
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  // Two threads keep the processors busy until the end.
  std::vector<std::jthread> load;
  for (int i = 0; i < 2; ++i) {
    load.emplace_back([](std::stop_token stop) {
      for (volatile unsigned x = 1; !stop.stop_requested();) x = x * 1664525u + 1013904223u;
    });
  }
  auto lib = std::make_unique<Library>();
  ASSERT_NE(lib->handle, nullptr) << dlerror();
  auto slowestReload = Clock::duration::zero();
  for (int step = 0; step < kSteps; ++step) {
    const Page& page = pages[pick(pages.size())];
    const int32_t speaker = static_cast<int32_t>(pick(3));
    const int32_t rate = 80 + static_cast<int32_t>(pick(176));
    const std::string& unit = page.units[pick(page.units.size())];
    auto sendVoice = [&] {
      ASSERT_EQ(lib->SetLanguage(page.code), 0);
      ASSERT_EQ(lib->SetSpeaker(speaker), 0);
      if (*page.name != '\0') {
        ASSERT_EQ(lib->SetLanguageName(page.name), 0);
      }
    };
    const size_t change = pick(8);  // else the next unit in the same voice
    if (change < 6) {
      // A change of voice, language or rate: the program stops the unit,
      // frees the library, loads it again and sends the voice.
      ASSERT_EQ(lib->Stop(), 0);
      const auto before = Clock::now();
      lib.reset();
      lib = std::make_unique<Library>();
      slowestReload = std::max(slowestReload, Clock::now() - before);
      ASSERT_NE(lib->handle, nullptr) << dlerror();
      ASSERT_EQ(lib->SetSpeed(rate), 0);
      sendVoice();
    } else if (change == 6) {
      // The program's own words in the other voice and back, in one load.
      ASSERT_EQ(lib->SetLanguage(step % 2 == 0 ? 99 : 101), 0);
      ASSERT_EQ(lib->SetSpeaker(2), 0);
      ASSERT_EQ(lib->Read("LINK "), 0);
      sendVoice();
    }
    ASSERT_EQ(lib->Read(unit.c_str()), 0);
    ASSERT_NE(lib->Status(0), 0) << step;
    // Cut short after a moment: synthesis is under way, in whatever voice,
    // when the next change comes.
    std::this_thread::sleep_for(std::chrono::milliseconds(pick(4)));
    if (pick(8) == 0) {
      ASSERT_EQ(lib->Stop(), 0);
      ASSERT_EQ(lib->Status(0), 0) << step;
    }
  }
  // No end of a load waited for the library to give its session up.
  EXPECT_LT(slowestReload, 3s);
  // Speech still comes after all that: a sentence keeps the status busy
  // for as long as it is heard.
  lib = std::make_unique<Library>();
  ASSERT_EQ(lib->SetLanguage(101), 0);
  const auto start = Clock::now();
  ASSERT_EQ(lib->Read("Las opciones de los paquetes. "), 0);
  ASSERT_TRUE(lib->WaitIdle(10s));
  EXPECT_GT(Clock::now() - start, 800ms) << "the sentence was not spoken";
}

}  // namespace
