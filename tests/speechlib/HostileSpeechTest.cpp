// The real speech library given what a hostile page or caller can give it:
// a text far longer than speech keeps up with, and calls that cannot be
// done. Memory is this process's own resident size.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "support/LoadedSpeechLibrary.h"
#include "support/ProcessMemory.h"
#include "upctv.h"

namespace {

using namespace std::chrono_literals;
constexpr size_t kMiB = 1 << 20;

using Library = sonavia::testing::LoadedSpeechLibrary;

std::string LongText(size_t bytes) {
  std::string text;
  while (text.size() < bytes) text += "Bon dia a tothom, això és una prova de lectura. ";
  return text;
}

// Speaking a megabyte of text holds little more than idle, at every moment,
// and a Stop gives back what it held.
TEST(HostileSpeech, ALongTextIsSynthesisedOnlyAheadOfPlayback) {
  Library lib;
  ASSERT_NE(lib.handle, nullptr);
  lib.Read("a");
  ASSERT_TRUE(lib.WaitIdle(5s));
  const std::string text = LongText(kMiB);
  std::this_thread::sleep_for(200ms);
  const size_t idle = sonavia::testing::ResidentBytes();
  size_t most = idle;
  ASSERT_EQ(lib.Read(text.c_str()), 0);
  for (int i = 0; i < 40; ++i) {
    std::this_thread::sleep_for(100ms);
    most = std::max(most, sonavia::testing::ResidentBytes());
    ASSERT_NE(lib.Status(0), 0);
  }
  std::printf("%.1f MiB above idle at most while speaking\n", double(most - idle) / kMiB);
  EXPECT_LT(most - idle, 30 * kMiB);
  ASSERT_EQ(lib.Stop(), 0);
  EXPECT_EQ(lib.Status(0), 0);
  std::this_thread::sleep_for(300ms);
  const size_t after = sonavia::testing::ResidentBytes();
  std::printf("%.1f MiB above idle after Stop\n", (double(after) - double(idle)) / kMiB);
  EXPECT_LT(after, idle + 8 * kMiB);
}

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/upctv-hostile-XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  ~TempDir() { std::filesystem::remove_all(dir_); }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};

struct FileCase {
  const char* name;
  std::function<std::string(const TempDir&)> make;  // gives the path
  int32_t result;
};

void PrintTo(const FileCase& c, std::ostream* os) {
  *os << c.name;
}

class HostileFile : public ::testing::TestWithParam<FileCase> {};

// A refused file changes nothing: what was being spoken goes on.
TEST_P(HostileFile, IsReadOrRefusedWithoutHarm) {
  TempDir dir;
  Library lib;
  ASSERT_NE(lib.handle, nullptr);
  const std::string path = GetParam().make(dir);
  lib.Read("Una frase que dura una estona.");
  EXPECT_EQ(lib.ReadFile(path.c_str()), GetParam().result);
  EXPECT_NE(lib.Status(0), 0);
  lib.Stop();
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileFile,
    ::testing::Values(
        FileCase{"Missing", [](const TempDir& d) { return d.Path("none.txt"); }, -1},
        FileCase{"Directory", [](const TempDir& d) { return d.Path(""); }, -1},
        FileCase{"EndlessDevice", [](const TempDir&) { return std::string("/dev/zero"); }, -1},
        FileCase{"Pipe",
                 [](const TempDir& d) {
                   mkfifo(d.Path("pipe").c_str(), 0600);
                   return d.Path("pipe");
                 },
                 -1},
        FileCase{"OverTheLimit",
                 [](const TempDir& d) {
                   std::filesystem::resize_file(
                       (std::ofstream(d.Path("big.txt")), d.Path("big.txt")),
                       UPCTV_MAX_FILE_BYTES + 1);
                   return d.Path("big.txt");
                 },
                 -1},
        FileCase{"AtTheLimit",
                 [](const TempDir& d) {
                   std::ofstream(d.Path("max.txt"))
                       << LongText(UPCTV_MAX_FILE_BYTES).substr(0, UPCTV_MAX_FILE_BYTES);
                   return d.Path("max.txt");
                 },
                 0},
        FileCase{"Empty",
                 [](const TempDir& d) {
                   std::ofstream(d.Path("empty.txt"));
                   return d.Path("empty.txt");
                 },
                 0}),
    [](const auto& test) { return std::string(test.param.name); });

// Every entry point takes what a careless caller may pass and returns.
TEST(HostileSpeech, EveryEntryPointReturnsWhateverItIsGiven) {
  Library lib;
  ASSERT_NE(lib.handle, nullptr);
  const std::pair<const char*, std::function<int32_t()>> calls[] = {
      {"Read null", [&] { return lib.Read(nullptr); }},
      {"ReadFile null", [&] { return lib.ReadFile(nullptr) == -1 ? 0 : 1; }},
      {"ReadFile empty path", [&] { return lib.ReadFile("") == -1 ? 0 : 1; }},
      {"SetLanguage out of range", [&] { return lib.SetLanguage(-5); }},
      {"SetSpeed out of range", [&] { return lib.SetSpeed(1 << 30); }},
      {"SetSpeaker out of range", [&] { return lib.SetSpeaker(-1); }},
      {"Stop idle", [&] { return lib.Stop(); }},
      {"Stop twice", [&] { return lib.Stop(); }},
      {"Status", [&] { return lib.Status(12345); }},
  };
  for (const auto& [name, call] : calls) EXPECT_EQ(call(), 0) << name;
  // A Read of the longest file's worth of text, replaced at once.
  const std::string text = LongText(UPCTV_MAX_FILE_BYTES);
  EXPECT_EQ(lib.Read(text.c_str()), 0);
  EXPECT_EQ(lib.Read("Ja."), 0);
  EXPECT_TRUE(lib.WaitIdle(10s));
}

}  // namespace
