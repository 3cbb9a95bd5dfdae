#include "Rate.h"

#include <sonic.h>

#include <algorithm>
#include <cmath>

namespace upctv::engine {

namespace {

constexpr double kSlowest = 70.0;
constexpr double kFastest = 500.0;
constexpr int32_t kMinRate = 1;
constexpr int32_t kMaxRate = 255;

}  // namespace

double WordsPerMinute(int32_t rate) {
  rate = std::clamp(rate, kMinRate, kMaxRate);
  const double native = kNativeWordsPerMinute;
  if (rate <= kNativeRate) {
    const double below = static_cast<double>(kNativeRate - rate) / (kNativeRate - kMinRate);
    return native * std::pow(kSlowest / native, below);
  }
  const double above = static_cast<double>(rate - kNativeRate) / (kMaxRate - kNativeRate);
  return native * std::pow(kFastest / native, above);
}

double SpeedFactor(int32_t rate) {
  return WordsPerMinute(rate) / kNativeWordsPerMinute;
}

TimeScale::TimeScale(int sampleRate, double factor) {
  if (factor == 1.0) return;
  stream_ = sonicCreateStream(sampleRate, 1);
  if (stream_ != nullptr) sonicSetSpeed(stream_, static_cast<float>(factor));
}

TimeScale::~TimeScale() {
  if (stream_ != nullptr) sonicDestroyStream(stream_);
}

std::vector<int16_t> TimeScale::Take() {
  std::vector<int16_t> out(static_cast<size_t>(std::max(0, sonicSamplesAvailable(stream_))));
  if (!out.empty()) {
    const int read = sonicReadShortFromStream(stream_, out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<size_t>(std::max(0, read)));
  }
  return out;
}

std::vector<int16_t> TimeScale::Put(const int16_t* samples, int count) {
  if (stream_ == nullptr) return std::vector<int16_t>(samples, samples + std::max(0, count));
  // sonic takes its input as non-const, and does not change it.
  if (count > 0) sonicWriteShortToStream(stream_, const_cast<int16_t*>(samples), count);
  return Take();
}

std::vector<int16_t> TimeScale::End() {
  if (stream_ == nullptr) return {};
  sonicFlushStream(stream_);
  return Take();
}

}  // namespace upctv::engine
