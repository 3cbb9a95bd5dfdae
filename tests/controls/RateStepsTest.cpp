// "Més ràpid" and "Més lent": a step of the rate, said at the new rate; over
// a unit being spoken the new rate applies from the next unit on.
#include "controls/RateSteps.h"

#include <gtest/gtest.h>

#include <string>

#include "controls/SwitchWindow.h"

namespace sonavia::controls {
namespace {

using testing::Lines;
using testing::SwitchRig;

// The calls that set a rate or read a text, without their times.
Lines RatesAndTexts(const SwitchRig& r) {
  Lines out;
  for (const std::string& line : r.library.timeline) {
    const std::string call = line.substr(line.find(' ') + 1);
    if (call.starts_with("SetSpeed") || call.starts_with("Read")) out.push_back(call);
  }
  return out;
}

TEST(RateSteps, AStepSaidAtTheNewRateAndAppliedFromTheNextUnit) {
  SwitchRig r;
  r.LoadLongPage(4);
  ASSERT_TRUE(r.RunUntil([&] { return r.main.Speech.Speaking; }));
  r.library.ClearLog();
  r.main.Rates.Faster();
  // The edit keeps its rule while the unit was spoken: the rate waits.
  EXPECT_EQ(r.main.EditVelocitat.Text(), "180");
  ASSERT_TRUE(r.RunUntil([&] { return r.main.Speech.Speaking; }));
  EXPECT_EQ(r.main.EditVelocitat.Text(), "190");
  const Lines calls = RatesAndTexts(r);
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(Lines(calls.begin(), calls.begin() + 3),
            (Lines{"SetSpeed(190)", "Read(Més ràpid )", "SetSpeed(180)"}));
  EXPECT_EQ(calls.back(), "Read(Títol )") << "read again, at the new rate";
  EXPECT_EQ(calls[calls.size() - 2], "SetSpeed(190)");

  // Between units, or with nothing read, it applies at once; the ends stay.
  struct Case {
    const char* start;
    bool faster;
    const char* rate;
  } const cases[] = {
      {"180", false, "170"}, {"250", true, "255"}, {"255", true, "255"}, {"5", false, "1"}};
  for (const Case& c : cases) {
    SwitchRig idle;
    idle.main.EditVelocitat.SetText(c.start);
    c.faster ? idle.main.Rates.Faster() : idle.main.Rates.Slower();
    EXPECT_EQ(idle.main.EditVelocitat.Text(), c.rate) << c.start;
    EXPECT_EQ(idle.library.rate, std::stoi(c.rate)) << c.start;
  }
}

}  // namespace
}  // namespace sonavia::controls
