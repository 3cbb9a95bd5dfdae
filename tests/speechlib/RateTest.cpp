// The speech library's rates, measured by what it makes of a text: eSpeak NG
// at its one rate, then the rate's time-scaling, in the buffers eSpeak NG
// hands over.
#include "Rate.h"

#include <espeak-ng/speak_lib.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace upctv::engine {
namespace {

std::vector<std::vector<int16_t>>* gBuffers = nullptr;

int Collect(short* wav, int count, espeak_EVENT*) {
  if (wav != nullptr && count > 0) gBuffers->emplace_back(wav, wav + count);
  return 0;
}

// The text's buffers from eSpeak NG at `wordsPerMinute`.
std::vector<std::vector<int16_t>> Synthesize(const char* voice, int wordsPerMinute) {
  std::vector<std::vector<int16_t>> buffers;
  gBuffers = &buffers;
  espeak_SetVoiceByName(voice);
  espeak_SetParameter(espeakRATE, wordsPerMinute, 0);
  const char* text =
      "Aquesta és una frase de prova per mesurar la velocitat de la veu, amb unes quantes "
      "paraules més.";
  espeak_Synth(text, 200, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
  gBuffers = nullptr;
  return buffers;
}

size_t Length(const std::vector<std::vector<int16_t>>& buffers, int32_t rate) {
  TimeScale scale(22050, SpeedFactor(rate));
  size_t length = 0;
  for (const auto& buffer : buffers)
    length += scale.Put(buffer.data(), static_cast<int>(buffer.size())).size();
  return length + scale.End().size();
}

TEST(Rates, EveryRateHasASpeedOfItsOwnAndTheFastestOutrunsESpeakNG) {
  const int sampleRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 50, nullptr, 0);
  ASSERT_EQ(sampleRate, 22050);
  espeak_SetSynthCallback(Collect);
  for (const char* voice : {"ca", "es"}) {
    SCOPED_TRACE(voice);
    const auto native = Synthesize(voice, kNativeWordsPerMinute);
    size_t untouched = 0;
    for (const auto& buffer : native) untouched += buffer.size();
    // 180, where the program starts, is eSpeak NG's own 180, untouched.
    EXPECT_EQ(Length(native, 180), untouched);
    // Each rate shorter than the one before: no two sound the same.
    size_t last = SIZE_MAX;
    for (int32_t rate = 1; rate <= 255; ++rate) {
      const size_t length = Length(native, rate);
      EXPECT_LT(length, last) << "rate " << rate;
      last = length;
    }
    // 1 is slower than eSpeak NG's slowest, 255 faster than its fastest.
    size_t slowest = 0, fastest = 0;
    for (const auto& buffer : Synthesize(voice, 80)) slowest += buffer.size();
    for (const auto& buffer : Synthesize(voice, 450)) fastest += buffer.size();
    EXPECT_GT(Length(native, 1), slowest);
    EXPECT_LT(Length(native, 255), fastest);
    printf("%s: rate 1 %.1f s, 180 %.1f s, 255 %.1f s; eSpeak NG at 80 %.1f s, at 450 %.1f s\n",
           voice, Length(native, 1) / 22050.0, untouched / 22050.0, Length(native, 255) / 22050.0,
           slowest / 22050.0, fastest / 22050.0);
  }
  // Not terminated: a second start and end of eSpeak NG in one process can
  // hang in its end, and the text preparation's tests start it too.
}

TEST(Rates, OutOfRangeRatesCountAsTheNearest) {
  EXPECT_DOUBLE_EQ(WordsPerMinute(0), WordsPerMinute(1));
  EXPECT_DOUBLE_EQ(WordsPerMinute(-5), 70.0);
  EXPECT_DOUBLE_EQ(WordsPerMinute(256), 500.0);
  EXPECT_DOUBLE_EQ(SpeedFactor(180), 1.0);
}

}  // namespace
}  // namespace upctv::engine
