// A page read in its own language: its text, title, link texts and image
// descriptions in the voice of the page's language; "Títol", "LINK" and
// "Imatge" in the user's, which also reads a page without a language.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "reading/PageConverter.h"
#include "reading/ReadingSequencer.h"
#include "speech/SpeechEngine.h"
#include "support/FakeSpeechLibrary.h"
#include "support/ReadingRig.h"
#include "support/SimulatedEventLoop.h"

namespace sonavia::speech {
namespace {

using Lines = std::vector<std::string>;

class PageVoiceTest : public ::testing::Test, protected testing::ReadingRig {
 protected:
  PageVoiceTest() : ReadingRig("/i.htm") {}

  void SetUp() override { ASSERT_FALSE(engine.LoadSpeechEngine()); }
  // The voices the page is heard in, as "language/speaker text".
  Lines Heard(const std::string& html) {
    list->SetReadingMode(reading::ReadingMode::Page);
    list->SetPageTitle("Ex");
    converter.ConvertPage(html);
    library.ClearLog();
    sequencer.StartReadingAt(1);
    loop.RunFor(20000);
    return library.voices;
  }
};

const char* const kPage = "Un. <a href=\"a.htm\">Enlla&ccedil;</a> <img src=\"g.png\" alt=\"Gat\">";

TEST_F(PageVoiceTest, ThePagesTextInItsLanguageTheProgramsWordsInTheUsers) {
  struct Case {
    const char* language;
    bool follow;
    bool castilianUser;
    Lines heard;
  } const cases[] = {
      {"",
       true,
       false,
       {"99/0 Títol ", "99/2 Ex ", "99/0 UN ", "99/2 LINK ", "99/2 ENLLAç ", "99/2 Imatge  ",
        "99/2 GAT  "}},
      {"en",
       true,
       false,
       {"99/0 Títol ", "en/2 Ex ", "en/0 UN ", "99/2 LINK ", "en/2 ENLLAç ", "99/2 Imatge  ",
        "en/2 GAT  "}},
      {" en_GB ",
       true,
       false,
       {"99/0 Títol ", "en-gb/2 Ex ", "en-gb/0 UN ", "99/2 LINK ", "en-gb/2 ENLLAç ",
        "99/2 Imatge  ", "en-gb/2 GAT  "}},
      // Castilian and Catalan in the program's own voices for them.
      {"es-ES",
       true,
       false,
       {"99/0 Títol ", "101/0 Ex ", "101/1 UN ", "99/2 LINK ", "101/0 ENLLAç ", "99/2 Imatge  ",
        "101/0 GAT  "}},
      {"CA",
       true,
       true,
       {"101/1 Títol ", "99/2 Ex ", "99/0 UN ", "101/0 LINK ", "99/2 ENLLAç ", "101/0 Imatge  ",
        "99/2 GAT  "}},
      // Another language with the speakers of the user's.
      {"de",
       true,
       true,
       {"101/1 Títol ", "de/0 Ex ", "de/1 UN ", "101/0 LINK ", "de/0 ENLLAç ", "101/0 Imatge  ",
        "de/0 GAT  "}},
      // Not followed: the user's language.
      {"en",
       false,
       false,
       {"99/0 Títol ", "99/2 Ex ", "99/0 UN ", "99/2 LINK ", "99/2 ENLLAç ", "99/2 Imatge  ",
        "99/2 GAT  "}},
      {"es",
       false,
       true,
       {"101/1 Títol ", "101/0 Ex ", "101/1 UN ", "101/0 LINK ", "101/0 ENLLAç ", "101/0 Imatge  ",
        "101/0 GAT  "}},
      // Names that are no language.
      {"und",
       true,
       false,
       {"99/0 Títol ", "99/2 Ex ", "99/0 UN ", "99/2 LINK ", "99/2 ENLLAç ", "99/2 Imatge  ",
        "99/2 GAT  "}},
      {"english",
       true,
       false,
       {"99/0 Títol ", "99/2 Ex ", "99/0 UN ", "99/2 LINK ", "99/2 ENLLAç ", "99/2 Imatge  ",
        "99/2 GAT  "}},
  };
  for (const auto& c : cases) {
    ASSERT_FALSE(engine.LoadSpeechEngine());
    if (c.castilianUser) engine.SelectCastilian();
    engine.SetFollowPageLanguage(c.follow);
    engine.SetPageLanguage(c.language);
    EXPECT_EQ(Heard(kPage), c.heard) << c.language << (c.follow ? " followed" : "");
  }
}

TEST_F(PageVoiceTest, TheLinksAloneAreReadInThePagesLanguage) {
  engine.SetPageLanguage("en");
  list->SetPageTitle("Ex");
  converter.ConvertPage(kPage);
  list->SetReadingMode(reading::ReadingMode::Links);
  library.ClearLog();
  sequencer.StartReadingAt(1);
  loop.RunFor(5000);
  EXPECT_EQ(library.voices, Lines{"en/2 ENLLAç "});
}

TEST_F(PageVoiceTest, AnAsideIsSaidInTheUsersItemVoiceAndThePageGoesOnInItsOwn) {
  struct Case {
    const char* language;
    bool castilianUser;
    Lines heard;  // "DOS" is interrupted by the aside and read again
  } const cases[] = {
      {"es", false, {"101/1 DOS ", "99/2 Anterior ", "101/1 DOS ", "101/1 TRES.  "}},
      {"en", false, {"en/0 DOS ", "99/2 Anterior ", "en/0 DOS ", "en/0 TRES.  "}},
      {"ca", true, {"99/0 DOS ", "101/0 Anterior ", "99/0 DOS ", "99/0 TRES.  "}},
      {"", false, {"99/0 DOS ", "99/2 Anterior ", "99/0 DOS ", "99/0 TRES.  "}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    if (c.castilianUser) engine.SelectCastilian();
    engine.SetPageLanguage(c.language);
    list->SetReadingMode(reading::ReadingMode::Page);
    list->SetPageTitle("Ex");
    converter.ConvertPage("Un. Dos. Tres.");
    sequencer.StartReadingAt(1);
    const uint64_t t0 = loop.Elapsed();
    while (library.voices.empty() || library.voices.back().find("DOS") == std::string::npos) {
      loop.RunFor(10);
      ASSERT_LT(loop.Elapsed(), t0 + 10000);
    }
    library.voices = {library.voices.back()};
    sequencer.SpeakAside("Anterior", engine.AppliedRate);
    loop.RunFor(10000);
    EXPECT_EQ(library.voices, c.heard);
    sequencer.StartReadingAt(0);
    if (c.castilianUser) engine.SelectCatalan();
    library.ClearLog();
  }
}

TEST_F(PageVoiceTest, TheLanguageIsSentAgainAfterEveryReload) {
  engine.SetPageLanguage("en");
  engine.UsePageVoice(true);
  library.ClearLog();
  engine.SetSpeechRate(200);
  EXPECT_EQ(library.calls, (Lines{"Free", "Load", "SetSpeed(180)", "SetLanguage(99)",
                                  "SetSpeaker(0)", "SetLanguageName(en)"}));
  // The same voice asked for again reloads nothing.
  library.ClearLog();
  engine.UsePageVoice(true);
  EXPECT_TRUE(library.calls.empty());
  // The user's language chosen while the page's is heard.
  engine.SelectCastilian();
  EXPECT_EQ(Lines(library.calls.end() - 2, library.calls.end()),
            (Lines{"SetLanguage(101)", "SetSpeaker(1)"}));
  library.ClearLog();
  engine.UsePageVoice(false);
  EXPECT_EQ(Lines(library.calls.end() - 3, library.calls.end()),
            (Lines{"SetLanguage(101)", "SetSpeaker(0)", "SetLanguageName(en)"}));
}

TEST_F(PageVoiceTest, ALibraryWithoutVoicesByNameReadsInTheUsersLanguage) {
  library.missing = {"upcTVSetLanguageName"};
  ASSERT_FALSE(engine.LoadSpeechEngine());
  engine.SetPageLanguage("en");
  EXPECT_EQ(Heard("Un."), (Lines{"99/0 Títol ", "99/2 Ex ", "99/0 UN.  "}));
}

}  // namespace
}  // namespace sonavia::speech
