// The speech library's own recording (UPCTV_RECORD_DIR) in a fresh folder:
// one line of utterances.tsv per utterance and the samples it played.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace sonavia::testing {

struct RecordedUtterance {
  int64_t start;
  // The language heard: its code, or 0 for one named ("en-us" in
  // `languageName`, which holds the code's digits otherwise).
  int language, speaker, rate;
  std::string languageName;
  int64_t playedMs;
  int stopped;
  std::string text;
};

class RecordingDir {
 public:
  RecordingDir() {
    char pattern[] = "/tmp/upctv-test-XXXXXX";
    dir_ = mkdtemp(pattern);
    setenv("UPCTV_RECORD_DIR", dir_.c_str(), 1);
  }
  ~RecordingDir() {
    unsetenv("UPCTV_RECORD_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  RecordingDir(const RecordingDir&) = delete;
  RecordingDir& operator=(const RecordingDir&) = delete;

  std::vector<RecordedUtterance> Lines() const {
    std::vector<RecordedUtterance> lines;
    std::ifstream in(dir_ + "/utterances.tsv");
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      RecordedUtterance u;
      std::string field;
      std::getline(fields, field, '\t');
      u.start = std::stoll(field);
      std::getline(fields, u.languageName, '\t');
      u.language = std::atoi(u.languageName.c_str());
      fields >> u.speaker >> u.rate >> u.playedMs >> u.stopped;
      fields.get();
      std::getline(fields, u.text);
      lines.push_back(u);
    }
    return lines;
  }
  // The samples of utterance `number` (from 1), after the 44-byte header.
  std::vector<int16_t> Samples(int number) const {
    char name[16];
    std::snprintf(name, sizeof name, "/%04d.wav", number);
    std::ifstream in(dir_ + name, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples;
    for (size_t i = 44; i + 1 < bytes.size(); i += 2) {
      samples.push_back(static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (bytes[i + 1] << 8)));
    }
    return samples;
  }
  const std::string& Path() const { return dir_; }

 private:
  std::string dir_;
};

}  // namespace sonavia::testing
