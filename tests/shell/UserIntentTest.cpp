// What the user meant, on the simulated clock: the engine's reports of a
// link under the pointer or the focus, against the user's pointer moves and
// focus keys.
#include "shell/UserIntent.h"

#include <gtest/gtest.h>

#include "support/SimulatedEventLoop.h"

namespace sonavia::shell {
namespace {

class UserIntentTest : public ::testing::Test {
 protected:
  explicit UserIntentTest(uint32_t start = 0) : loop(start) {}
  testing::SimulatedEventLoop loop;
  UserIntent intent{loop};
  void After(uint32_t ms) { loop.RunFor(ms); }
};

TEST_F(UserIntentTest, ALinkUnderAPointerThatNeverMovedIsNotPointedAt) {
  EXPECT_FALSE(intent.HoverIsUsers());
  After(5000);
  EXPECT_FALSE(intent.HoverIsUsers()) << "a pointer resting where the window opened";
}

TEST_F(UserIntentTest, ALinkIsPointedAtUpToASecondAfterThePointerMoved) {
  After(3000);
  intent.PointerMoved();
  EXPECT_TRUE(intent.HoverIsUsers());
  After(1000);
  EXPECT_TRUE(intent.HoverIsUsers()) << "the engine may answer late";
  EXPECT_TRUE(intent.HoverIsUsers()) << "every link the move crosses";
  After(1);
  EXPECT_FALSE(intent.HoverIsUsers()) << "the page scrolled under a still pointer";
  intent.PointerMoved();
  After(400);
  EXPECT_TRUE(intent.HoverIsUsers());
}

TEST_F(UserIntentTest, EachFocusKeyAnswersOneFocusMoveWithinTwoSeconds) {
  EXPECT_FALSE(intent.FocusMoveIsUsers()) << "a page's script moved it";
  intent.FocusKeyPressed();
  After(2000);
  EXPECT_TRUE(intent.FocusMoveIsUsers());
  EXPECT_FALSE(intent.FocusMoveIsUsers()) << "the page moves it again by itself";

  intent.FocusKeyPressed();
  After(2001);
  EXPECT_FALSE(intent.FocusMoveIsUsers()) << "too late to be the key's";
  EXPECT_FALSE(intent.FocusMoveIsUsers());

  // A held key: every press moves the focus once, the last press's time
  // counting for all.
  for (int i = 0; i < 3; ++i) {
    intent.FocusKeyPressed();
    After(30);
  }
  After(1900);
  EXPECT_TRUE(intent.FocusMoveIsUsers());
  EXPECT_TRUE(intent.FocusMoveIsUsers());
  EXPECT_TRUE(intent.FocusMoveIsUsers());
  EXPECT_FALSE(intent.FocusMoveIsUsers());
}

TEST_F(UserIntentTest, PressesWithoutAnAnswerDoNotPileUp) {
  // Tab in the address box moves nothing in the page; later presses count
  // afresh.
  for (int i = 0; i < 5; ++i) intent.FocusKeyPressed();
  After(2500);
  intent.FocusKeyPressed();
  EXPECT_TRUE(intent.FocusMoveIsUsers());
  EXPECT_FALSE(intent.FocusMoveIsUsers()) << "the earlier presses had expired";
  // However long a key is held, the waiting presses stay few.
  for (int i = 0; i < 1000; ++i) intent.FocusKeyPressed();
  int answered = 0;
  while (intent.FocusMoveIsUsers()) ++answered;
  EXPECT_EQ(answered, 16);
}

TEST_F(UserIntentTest, PointerAndKeysAreApart) {
  intent.PointerMoved();
  EXPECT_FALSE(intent.FocusMoveIsUsers()) << "a pointer move is no focus key";
  After(1500);
  intent.FocusKeyPressed();
  EXPECT_FALSE(intent.HoverIsUsers()) << "a focus key is no pointer move";
}

class UserIntentNearTheWrap : public UserIntentTest {
 protected:
  UserIntentNearTheWrap() : UserIntentTest(0xFFFFFF00u) {}
};

TEST_F(UserIntentNearTheWrap, TheTickCountsWrapDoesNoHarm) {
  intent.PointerMoved();
  intent.FocusKeyPressed();
  After(0x200);  // past the wrap
  EXPECT_TRUE(intent.HoverIsUsers());
  EXPECT_TRUE(intent.FocusMoveIsUsers());
  After(2000);
  EXPECT_FALSE(intent.HoverIsUsers());
}

TEST_F(UserIntentTest, APageOpensAWindowOnlyShortlyAfterTheUsersPress) {
  After(5000);
  EXPECT_FALSE(intent.WindowIsUsers()) << "nothing pressed yet";
  intent.Pressed();
  After(kWindowAfterPress);
  EXPECT_TRUE(intent.WindowIsUsers());
  After(1);
  EXPECT_FALSE(intent.WindowIsUsers()) << "a page's timer opening it later";
}

}  // namespace
}  // namespace sonavia::shell
