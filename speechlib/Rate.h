// How the rate the program sets (1 to 255) becomes a speed. eSpeak NG's own
// rates do not go below 80 words a minute and, a word a minute apart, often
// sound the same; so eSpeak NG always speaks at one rate and its samples are
// time-scaled, the pitch kept, by a factor that differs for every rate: 180
// is eSpeak NG's own 180 words a minute untouched, 1 is 70 and 255 is 500,
// evenly on a logarithmic scale on either side.
#pragma once

#include <cstdint>
#include <vector>

struct sonicStreamStruct;

namespace upctv::engine {

// The rate eSpeak NG is asked for, and the program's rate that speaks at it.
constexpr int kNativeWordsPerMinute = 180;
constexpr int32_t kNativeRate = 180;

// The speed of `rate` (1 to 255; anything else counts as the nearest).
double WordsPerMinute(int32_t rate);
// The time-scaling factor of `rate`: above 1 faster, 1 for kNativeRate.
double SpeedFactor(int32_t rate);

// Time-scales a text's samples as eSpeak NG hands them over. A factor of 1
// passes them as they are.
class TimeScale {
 public:
  TimeScale(int sampleRate, double factor);
  ~TimeScale();
  TimeScale(const TimeScale&) = delete;
  TimeScale& operator=(const TimeScale&) = delete;

  // The samples to play for `samples`, as many as are ready.
  std::vector<int16_t> Put(const int16_t* samples, int count);
  // The rest, once the text has been synthesised.
  std::vector<int16_t> End();

 private:
  std::vector<int16_t> Take();
  sonicStreamStruct* stream_ = nullptr;
};

}  // namespace upctv::engine
