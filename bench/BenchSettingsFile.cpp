// Reading the settings from hostile files: the program must start with
// the defaults for whatever it cannot read within a second, so each case
// here (load and read the six keys) must stay far below that.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "controls/ProfileFile.h"
#include "controls/SettingsFile.h"

namespace {

namespace fs = std::filesystem;
using sonavia::controls::ProfileFile;

// Just below the size beyond which a file is not read at all.
constexpr std::size_t kSize = (4u << 20) - 64;

std::string Repeated(std::string head, const std::string& line) {
  while (head.size() + line.size() <= kSize) head += line;
  return head;
}

std::string Contents(int kind) {
  const std::string section = "[Ombrix Sonavia]\n";
  switch (kind) {
    case 0: {
      std::string bytes(kSize, '\0');
      std::mt19937 random(1);
      for (auto& b : bytes) b = static_cast<char>(random());
      return bytes;
    }
    case 1:
      return std::string(kSize, '\n');
    case 2:
      return Repeated("", "[x]\n");
    case 3:
      return Repeated(section, "=\n");
    case 4:
      return Repeated(section, "Parlar2=no\n");
    default:
      return section + "Parlar=" + std::string(1 << 20, 'x') + "\n";
  }
}

const char* const kNames[] = {"binary",       "empty lines", "sections",
                              "equals signs", "keys",        "a 1 MB line"};

void BM_LoadAndReadSixKeys(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / "sonavia-bench-settings";
  fs::create_directories(dir);
  const std::string path = (dir / "Quelva2001.ini").string();
  const int kind = static_cast<int>(state.range(0));
  if (kind < 6) {
    const std::string bytes = Contents(kind);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  } else {
    std::ofstream(path, std::ios::trunc).close();
    fs::resize_file(path, std::uintmax_t{100} << 20);  // 100 MB, not read
  }
  state.SetLabel(kind < 6 ? kNames[kind] : "100 MB");
  using namespace sonavia::controls;
  for (auto _ : state) {
    const ProfileFile file = ProfileFile::Load(path);
    for (const char* key :
         {kLanguageKey, kSpeechKey, kScanningKey, kRateKey, kScanStepKey, kScanPauseKey})
      benchmark::DoNotOptimize(file.Read(kSettingsSection, key, "NO", 50));
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_LoadAndReadSixKeys)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
