// The page's sound beside the speech: under it while the program speaks,
// back up after a moment of silence and not between sentences, paused and
// played again with F3, silenced and given back by the user.
#include "shell/PageSound.h"

#include <gtest/gtest.h>

#include "controls/SwitchWindow.h"

namespace sonavia::shell {
namespace {

using Lines = std::vector<std::string>;

// The kinds of the page's sound changes, without their times.
Lines Kinds(const Lines& sound) {
  Lines kinds;
  for (const std::string& line : sound) kinds.push_back(line.substr(line.find(' ') + 1));
  return kinds;
}

TEST(PageSound, UnderTheSpeechWhileThePageIsReadAndPausedWithTheReading) {
  sonavia::testing::SwitchRig r;
  r.main.Sound.Start();
  r.LoadLongPage(20);
  ASSERT_TRUE(r.RunUntil([&] { return r.list->UnitCursor >= 4; }));
  // Lowered as "Pàgina carregada" is said, up in the silence before the
  // reading, lowered again as it starts.
  EXPECT_EQ(Kinds(r.browser.sound), (Lines{"Under", "Full", "Under"}));
  r.browser.sound.clear();
  ASSERT_TRUE(r.RunUntil([&] { return r.list->UnitCursor >= 8; }));
  EXPECT_TRUE(r.browser.sound.empty()) << "not brought up in the gaps between the sentences";
  r.main.mnuParlarClick();  // F3
  const uint64_t paused = r.loop.Elapsed();
  r.RunTo(paused + 3000);
  ASSERT_EQ(Kinds(r.browser.sound), (Lines{"Pause", "Full"}));
  const uint64_t back = std::stoull(r.browser.sound.back());
  EXPECT_LE(back - paused, kPageSoundBackAfter + 2 * kPageSoundPoll) << "up soon after the pause";
  r.main.mnuParlarClick();
  r.RunTo(r.loop.Elapsed() + 1000);
  EXPECT_EQ(Kinds(r.browser.sound), (Lines{"Pause", "Full", "Resume", "Under"}));
}

TEST(PageSound, TheUserSilencesThePageAndGivesItItsSoundBack) {
  sonavia::testing::SwitchRig r;
  r.main.mnuSilenciarPagina.Click();
  EXPECT_TRUE(r.main.mnuSilenciarPagina.Checked());
  EXPECT_EQ(r.main.StatusBar1.Text(), "Pàgina silenciada");
  r.main.mnuSilenciarPagina.Click();
  EXPECT_FALSE(r.main.mnuSilenciarPagina.Checked());
  EXPECT_EQ(r.main.StatusBar1.Text(), "So de la pàgina activat");
  EXPECT_EQ(Kinds(r.browser.sound), (Lines{"Mute", "Unmute"}));
  EXPECT_EQ(r.Said(), (Lines{"0 Pàgina silenciada", "0 So de la pàgina activat"}));
}

}  // namespace
}  // namespace sonavia::shell
