// The speech library used as the program uses it, for as long as a reader
// takes to get through many pages, in a few seconds: freed and loaded again
// at every change of voice, language and rate, texts of real pages read and
// cut short at once, with other threads keeping the processors busy. A
// library that breaks under this brings the process down here.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
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

// A page's language as the program sends it: a code, and a name for the
// languages that are neither Catalan nor Castilian.
struct Page {
  const char* file;  // one spoken unit a line
  int32_t code;
  const char* name;
  std::vector<std::string> units;
};

std::vector<std::string> Units(const std::string& file) {
  std::vector<std::string> units;
  std::ifstream in(std::string(SONAVIA_SPEECH_TEXTS) + "/" + file);
  for (std::string line; std::getline(in, line);) units.push_back(line + " ");
  return units;
}

// Keeps a processor busy until it is destroyed.
class Load {
 public:
  explicit Load(int threads) {
    for (int i = 0; i < threads; ++i) {
      threads_.emplace_back([this] {
        unsigned x = 1;
        while (!stop_) {
          for (int k = 0; k < 100000; ++k) x = x * 1664525u + 1013904223u;
          sink_ += x;
        }
      });
    }
  }
  ~Load() {
    stop_ = true;
    for (auto& t : threads_) t.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<unsigned> sink_{0};
  std::vector<std::thread> threads_;
};

TEST(SpeechStress, ThousandsOfReloadsWhileReadingPagesUnderLoad) {
  std::vector<Page> pages = {
      {"es.txt", 101, "", {}},  {"ca.txt", 99, "", {}},    {"es.txt", 99, "es", {}},
      {"el.txt", 99, "el", {}}, {"ru.txt", 101, "ru", {}}, {"pl.txt", 99, "pl", {}},
  };
  for (Page& page : pages) {
    page.units = Units(page.file);
    ASSERT_GE(page.units.size(), 5u) << page.file;
  }
  constexpr int kSteps = 3000;
  std::mt19937 rng(20250520);
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  const Load load(2);
  auto lib = std::make_unique<Library>();
  ASSERT_NE(lib->handle, nullptr) << dlerror();
  auto slowestReload = Clock::duration::zero();
  for (int step = 0; step < kSteps; ++step) {
    const Page& page = pages[pick(pages.size())];
    const int32_t speaker = static_cast<int32_t>(pick(3));
    const int32_t rate = 80 + static_cast<int32_t>(pick(176));
    const std::string& unit = page.units[pick(page.units.size())];
    switch (pick(8)) {
      case 0:
      case 1:
      case 2:
      case 3:
      case 4: {
        // A change of voice, language or rate: the program stops the unit,
        // frees the library, loads it again and sends the voice.
        ASSERT_EQ(lib->Stop(), 0);
        const auto before = Clock::now();
        lib.reset();
        lib = std::make_unique<Library>();
        slowestReload = std::max(slowestReload, Clock::now() - before);
        ASSERT_NE(lib->handle, nullptr) << dlerror();
        ASSERT_EQ(lib->SetSpeed(rate), 0);
        ASSERT_EQ(lib->SetLanguage(page.code), 0);
        ASSERT_EQ(lib->SetSpeaker(speaker), 0);
        if (*page.name != '\0') {
          ASSERT_EQ(lib->SetLanguageName(page.name), 0);
        }
        break;
      }
      case 5:
        // The program's own words in the other voice and back, in one load.
        ASSERT_EQ(lib->SetLanguage(step % 2 == 0 ? 99 : 101), 0);
        ASSERT_EQ(lib->SetSpeaker(2), 0);
        ASSERT_EQ(lib->Read("LINK "), 0);
        ASSERT_EQ(lib->SetLanguage(page.code), 0);
        ASSERT_EQ(lib->SetSpeaker(speaker), 0);
        if (*page.name != '\0') {
          ASSERT_EQ(lib->SetLanguageName(page.name), 0);
        }
        break;
      default:
        break;  // the next unit in the same voice
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
