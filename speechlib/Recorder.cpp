#include "Recorder.h"

#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "TextPrep.h"

namespace upctv {

namespace {

std::mutex gNumberMu;
std::string gNumberedDir;
int gLastNumber = 0;

// The next free number in `dir`, continuing after files already there so
// that a reload of the library or a second run never overwrites one.
int NextNumber(const std::string& dir) {
  std::lock_guard lock(gNumberMu);
  if (dir != gNumberedDir) {
    gNumberedDir = dir;
    gLastNumber = 0;
    if (DIR* d = opendir(dir.c_str())) {
      while (dirent* e = readdir(d)) {
        const char* name = e->d_name;
        if (std::strlen(name) == 8 && std::strcmp(name + 4, ".wav") == 0) {
          gLastNumber = std::max(gLastNumber, std::atoi(name));
        }
      }
      closedir(d);
    }
  }
  return ++gLastNumber;
}

void Put32(std::FILE* f, uint32_t v) {
  const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                              static_cast<unsigned char>(v >> 16),
                              static_cast<unsigned char>(v >> 24)};
  std::fwrite(b, 1, 4, f);
}

void Put16(std::FILE* f, uint16_t v) {
  const unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
  std::fwrite(b, 1, 2, f);
}

void WriteHeader(std::FILE* f, int rate, uint32_t samples) {
  std::fseek(f, 0, SEEK_SET);
  std::fwrite("RIFF", 1, 4, f);
  Put32(f, 36 + samples * 2);
  std::fwrite("WAVEfmt ", 1, 8, f);
  Put32(f, 16);
  Put16(f, 1);  // PCM
  Put16(f, 1);  // mono
  Put32(f, static_cast<uint32_t>(rate));
  Put32(f, static_cast<uint32_t>(rate) * 2);
  Put16(f, 2);
  Put16(f, 16);
  std::fwrite("data", 1, 4, f);
  Put32(f, samples * 2);
}

}  // namespace

bool Recording::Enabled() {
  const char* dir = std::getenv("UPCTV_RECORD_DIR");
  return dir != nullptr && *dir != '\0';
}

Recording::Recording(int sampleRate, int64_t startEpochMs, std::string_view language, int speaker,
                     int rate, std::string_view text)
    : sampleRate_(sampleRate),
      startEpochMs_(startEpochMs),
      language_(language),
      speaker_(speaker),
      rate_(rate) {
  if (!Enabled()) return;
  dir_ = std::getenv("UPCTV_RECORD_DIR");
  // Cleaned only when recorded: a long text costs nothing otherwise.
  text_ = CleanUtf8(text);
  char name[16];
  std::snprintf(name, sizeof name, "%04d.wav", NextNumber(dir_));
  wav_ = std::fopen((dir_ + "/" + name).c_str(), "wb");
  if (wav_ != nullptr) WriteHeader(wav_, sampleRate_, 0);
}

Recording::~Recording() {
  if (!finished_) Finish(0, true);
}

void Recording::AddSamples(const int16_t* samples, size_t count) {
  if (wav_ == nullptr) return;
  for (size_t i = 0; i < count; ++i) Put16(wav_, static_cast<uint16_t>(samples[i]));
  samples_ += static_cast<uint32_t>(count);
}

void Recording::Finish(int64_t playedMs, bool stopped) {
  if (finished_) return;
  finished_ = true;
  if (dir_.empty()) return;
  if (wav_ != nullptr) {
    WriteHeader(wav_, sampleRate_, samples_);
    std::fclose(wav_);
    wav_ = nullptr;
  }
  // Cleaned, the text holds no tab or line break that would break the line.
  if (std::FILE* tsv = std::fopen((dir_ + "/utterances.tsv").c_str(), "a")) {
    std::fprintf(tsv, "%lld\t%s\t%d\t%d\t%lld\t%d\t%s\n", static_cast<long long>(startEpochMs_),
                 language_.c_str(), speaker_, rate_, static_cast<long long>(playedMs),
                 stopped ? 1 : 0, text_.c_str());
    std::fclose(tsv);
  }
}

}  // namespace upctv
