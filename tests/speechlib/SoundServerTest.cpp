// The real libupctv.so speaking through a real PulseAudio server of the
// test's own (a null sink, recorded from its monitor): what it plays is what
// the library recorded, a Stop silences it, a server that dies, comes late
// or stalls costs the caller nothing and speech comes back by itself. Each
// test is a process of its own, so the library meets its server afresh.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/LoadedSpeechLibrary.h"
#include "support/SoundServer.h"
#include "support/SpeechRecording.h"

namespace {

using namespace std::chrono_literals;
using sonavia::testing::FindIn;
using sonavia::testing::LoudSpan;
using sonavia::testing::MonitorCapture;
using sonavia::testing::RecordingDir;
using sonavia::testing::SoundServer;
using Library = sonavia::testing::LoadedSpeechLibrary;
using Clock = std::chrono::steady_clock;

const char* const kLong =
    "Aquesta és una frase prou llarga per a poder-la aturar pel mig sense cap problema, "
    "i encara continua una bona estona més. ";

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// The library's answer once its first look for a server has one.
int32_t SettledSound(Library& lib) {
  const auto until = Clock::now() + 5s;
  int32_t sound = lib.Sound();
  while (sound == -1 && Clock::now() < until) {
    std::this_thread::sleep_for(10ms);
    sound = lib.Sound();
  }
  return sound;
}

// Utterance `number` of the recording was heard whole in `capture`.
void ExpectHeardWhole(const RecordingDir& rec, int number, const MonitorCapture& capture) {
  const auto written = rec.Samples(number);
  ASSERT_GT(LoudSpan(written).Length(), 0u) << "utterance " << number << " was not synthesised";
  const auto heard = capture.Samples();
  const auto match = FindIn(heard, written);
  EXPECT_GT(match.share, 0.99) << "utterance " << number
                               << " heard as written: " << match.share * 100 << " % of its samples";
}

class SoundServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.Start()) << server.Error(); }

  SoundServer server;
  RecordingDir rec;
};

TEST_F(SoundServerTest, SpeechArrivesAsTheLibraryRecordedIt) {
  MonitorCapture capture(server);
  ASSERT_TRUE(capture.Started());
  Library lib;
  ASSERT_NE(lib.handle, nullptr) << dlerror();
  EXPECT_EQ(SettledSound(lib), 1);
  const auto read = Clock::now();
  lib.Read("Bon dia a tothom. ");
  ASSERT_TRUE(lib.WaitIdle());
  std::this_thread::sleep_for(300ms);
  capture.Finish();
  ExpectHeardWhole(rec, 1, capture);
  const auto heard = LoudSpan(capture.Samples());
  EXPECT_LT(Ms(capture.TimeOf(heard.begin) - read), 400) << "speech starts soon after the call";
  EXPECT_EQ(lib.Sound(), 1);
}

// A Stop, or the library freed as the window's close does, while a long
// sentence is heard.
struct Silencing {
  const char* name;
  std::function<void(std::unique_ptr<Library>&)> act;
};

TEST_F(SoundServerTest, SpeechFallsSilentWithinATenthOfASecond) {
  const Silencing cases[] = {
      {"a Stop", [](std::unique_ptr<Library>& lib) { lib->Stop(); }},
      {"the library freed", [](std::unique_ptr<Library>& lib) { lib.reset(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MonitorCapture capture(server);
    ASSERT_TRUE(capture.Started());
    auto lib = std::make_unique<Library>();
    lib->Read(kLong);
    std::this_thread::sleep_for(900ms);
    const auto silenced = Clock::now();
    c.act(lib);
    std::this_thread::sleep_for(500ms);
    capture.Finish();
    const auto samples = capture.Samples();
    const auto heard = LoudSpan(samples);
    ASSERT_GT(heard.Length(), 0u) << "nothing was heard";
    EXPECT_LT(capture.TimeOf(heard.begin), silenced - 500ms) << "heard before";
    // Within a tenth of a second, and well within: what was handed to the
    // server ahead of time is dropped, not played out.
    EXPECT_LT(Ms(capture.TimeOf(heard.end) - silenced), 60) << "heard after";
  }
}

TEST_F(SoundServerTest, AServerKilledAndRestartedIsHeardAgainAtTheNextUtterance) {
  Library lib;
  lib.Read(kLong);
  std::this_thread::sleep_for(700ms);
  server.Kill();
  ASSERT_TRUE(server.Start()) << server.Error();
  MonitorCapture capture(server);
  ASSERT_TRUE(capture.Started());
  // The interrupted sentence goes on to its end in silence, on time.
  ASSERT_TRUE(lib.WaitIdle(15s));
  lib.Read("Torna a sonar. ");
  ASSERT_TRUE(lib.WaitIdle());
  std::this_thread::sleep_for(300ms);
  capture.Finish();
  const auto lines = rec.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].stopped, 0);
  EXPECT_GT(lines[0].playedMs, 4000) << "the whole sentence kept its time";
  ExpectHeardWhole(rec, 2, capture);
  EXPECT_EQ(lib.Sound(), 1);
}

// Standard error of this process, into a file for as long as it lives.
class CapturedStderr {
 public:
  CapturedStderr() {
    std::fflush(stderr);
    saved_ = dup(2);
    char pattern[] = "/tmp/upctv-stderr-XXXXXX";
    const int fd = mkstemp(pattern);
    path_ = pattern;
    dup2(fd, 2);
    close(fd);
  }
  ~CapturedStderr() {
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    unlink(path_.c_str());
  }
  std::vector<std::string> Lines() const {
    std::fflush(stderr);
    std::ifstream in(path_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  int saved_;
  std::string path_;
};

TEST(SoundServerLate, AServerThatComesLaterIsFoundWithoutAReloadOrAWordAtEachTry) {
  SoundServer server;  // not started yet
  RecordingDir rec;
  CapturedStderr err;
  Library lib;
  EXPECT_EQ(SettledSound(lib), 0);
  for (const char* text : {"U. ", "Dos. ", "Tres. "}) {
    lib.Read(text);
    ASSERT_TRUE(lib.WaitIdle(5s)) << "speech keeps its time without a server";
  }
  EXPECT_EQ(rec.Lines().size(), 3u);
  EXPECT_GT(rec.Lines().back().playedMs, 200);
  EXPECT_EQ(lib.Sound(), 0);
  EXPECT_EQ(err.Lines().size(), 1u) << "one word on standard error, not one at each try";
  ASSERT_TRUE(server.Start()) << server.Error();
  MonitorCapture capture(server);
  ASSERT_TRUE(capture.Started());
  lib.Read("Ara sí que se sent. ");
  ASSERT_TRUE(lib.WaitIdle());
  std::this_thread::sleep_for(300ms);
  capture.Finish();
  ExpectHeardWhole(rec, 4, capture);
  EXPECT_EQ(lib.Sound(), 1);
  EXPECT_EQ(err.Lines().size(), 1u);
}

// Every entry point, each call's time kept; the slowest.
Clock::duration SlowestCall(Library& lib, const std::string& file) {
  const std::vector<std::function<void()>> calls = {
      [&] { lib.Read(kLong); },
      [&] { lib.Status(0); },
      [&] { lib.SetSpeed(200); },
      [&] { lib.SetLanguage(101); },
      [&] { lib.SetSpeaker(2); },
      [&] { lib.Sound(); },
      [&] { lib.ReadFile(file.c_str()); },
      [&] { lib.Stop(); },
  };
  Clock::duration slowest{};
  for (int round = 0; round < 5; ++round) {
    for (const auto& call : calls) {
      const auto start = Clock::now();
      call();
      slowest = std::max(slowest, Clock::now() - start);
      std::this_thread::sleep_for(60ms);
    }
  }
  return slowest;
}

// A server stopped (SIGSTOP) after the library reached it, or before.
struct Stall {
  const char* name;
  bool reachedFirst;
};

TEST_F(SoundServerTest, AStoppedServerBlocksNoCallAndTheReadingKeepsItsTime) {
  const std::string file = rec.Path() + "/text.txt";
  std::ofstream(file) << "Un fitxer.";
  for (const Stall stall : {Stall{"stopped while connected", true},
                            Stall{"stopped before the library started", false}}) {
    SCOPED_TRACE(stall.name);
    ASSERT_TRUE(server.Start()) << server.Error();
    // Loaded only: its first call is what makes it look for the server.
    auto lib = std::make_unique<Library>();
    if (stall.reachedFirst) {
      ASSERT_EQ(SettledSound(*lib), 1);
      // Heard a moment, so that the server holds some of it when it stops.
      lib->Read(kLong);
      std::this_thread::sleep_for(300ms);
      lib->Stop();
    }
    server.Pause();
    EXPECT_LT(Ms(SlowestCall(*lib, file)), 50);
    const size_t before = rec.Lines().size();
    const auto start = Clock::now();
    lib->Read("Una frase curta. ");
    ASSERT_TRUE(lib->WaitIdle(5s)) << "the reading stalled";
    const auto took = Clock::now() - start;
    const auto lines = rec.Lines();
    ASSERT_EQ(lines.size(), before + 1);
    EXPECT_EQ(lines.back().stopped, 0);
    EXPECT_GT(lines.back().playedMs, 500);
    EXPECT_LT(Ms(took), static_cast<double>(lines.back().playedMs) + 400) << "on time";
    EXPECT_NE(lib->Sound(), 1) << "nothing is heard";
    // The window's close, with a sentence being spoken.
    lib->Read(kLong);
    std::this_thread::sleep_for(400ms);
    const auto closing = Clock::now();
    lib->Stop();
    lib.reset();
    EXPECT_LT(Ms(Clock::now() - closing), 300) << "the close waits on the server";
    server.Resume();
    server.Stop();
  }
}

TEST_F(SoundServerTest, SpeechComesBackWhenAStoppedServerGoesOn) {
  Library lib;
  ASSERT_EQ(SettledSound(lib), 1);
  server.Pause();
  lib.Read(kLong);
  std::this_thread::sleep_for(1s);
  lib.Stop();
  server.Resume();
  MonitorCapture capture(server);
  ASSERT_TRUE(capture.Started());
  lib.Read("Torna a sonar. ");
  ASSERT_TRUE(lib.WaitIdle());
  std::this_thread::sleep_for(300ms);
  capture.Finish();
  ExpectHeardWhole(rec, 2, capture);
  EXPECT_EQ(lib.Sound(), 1);
}

}  // namespace
