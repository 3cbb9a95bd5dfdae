// What reaches the speech library for a unit's text: no entity name and no
// conversion mark, ever.
#include "reading/SpokenText.h"

#include <gtest/gtest.h>

#include <string>

namespace sonavia::reading {
namespace {

TEST(SpokenText, EntitiesAreTheirCharactersAndMarksArePauses) {
  struct Case {
    const char* unit;  // as the conversion leaves it
    const char* spoken;
  } const cases[] = {
      // The page's markup characters, as the page view writes them.
      {"VEC&LT;USIZE&GT;", "VEC<USIZE>"},
      {"A =&GT; B", "A => B"},
      {"R&AMP;D", "R&D"},
      {"&QUOT;CITA&QUOT;", "\"CITA\""},
      {"A&NBSP;B", "A B"},
      // Any letter case, as a title keeps its own.
      {"x &lt; y &Gt; z", "x < y > z"},
      // Decoded once: a page that shows "&lt;" says so.
      {"&AMP;LT;", "&LT;"},
      // By number, or a blank for what is no character to hear.
      {"&#8364; &#X41; &#233;", "€ A é"},
      {"&#8594; &#x1F600; &#955;", "→ 😀 λ"},
      {"&#0; &#X110000; &#xD800;", "     "},
      // A bracket of the page's own, which the page view writes by number
      // so that the conversion never takes it for a mark.
      {"&#40;PUNT) &#40;G)", "(PUNT) (G)"},
      // Punctuation by name.
      {"&LDQUO;SI&RDQUO; &MDASH; &HELLIP;", "“SI” — …"},
      // Not entities: left as they are.
      {"AT&T", "AT&T"},
      {"Q&A; &UNKNOWN; &; &#; &#X; &#12A;", "Q&A; &UNKNOWN; &; &#; &#X; &#12A;"},
      {"&VERYLONGNAME;", "&VERYLONGNAME;"},
      {"&", "&"},
      // Marks left inside a link's text or an image's description.
      {"DR(PUNT)NO", "DR. NO"},
      {"Imatge A (G)B.GIF,LOGO(/G) FI", "Imatge A , B.GIF,LOGO,  FI"},
      {"(L)X,Y(/L)", ", X,Y, "},
      // Only the conversion's own marks, in capitals.
      {"(punt) (g) (X)", "(punt) (g) (X)"},
      {"(PUNT", "(PUNT"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(SpokenText(c.unit), c.spoken) << c.unit;
}

TEST(SpokenText, AUnitIsSpeakableWhenItHasALetterOrADigit) {
  struct Case {
    const char* unit;
    bool speakable;
  } const cases[] = {
      {"", false},
      {"   ", false},
      {" . , ; : - ", false},
      {"« » • · — ‚ „ ¿ ¡", false},
      {"?? ?", false},
      {"&NBSP; &AMP; &LT;&GT;", false},  // entity names are never heard
      {"(PUNT)(G)(/G)(L)(/L)", false},   // nor marks
      {" , ,  ", false},
      {"\xFF\xC3", false},  // bytes that are no UTF-8
      {"x", true},
      {"7", true},
      {" é ", true},
      {"Ç", true},
      {"Š", true},
      {"ª", true},
      {"²", true},
      {"× ÷", false},
      {"&LT;B&GT;", true},
      // Every script, and the symbols eSpeak NG names.
      {"λ", true},
      {"Ж", true},
      {"ł", true},
      {"ŀ", true},
      {"中", true},
      {"٣", true},
      {"→", true},
      {"😀", true},
      {"€", true},
  };
  for (const auto& c : cases) EXPECT_EQ(Speakable(c.unit), c.speakable) << c.unit;
}

TEST(SpokenText, ALongTextFullOfAmpersandsStaysLinear) {
  // A quadratic search would take minutes here.
  const std::string text(4 * 1024 * 1024, '&');
  EXPECT_EQ(SpokenText(text).size(), text.size());
  EXPECT_FALSE(Speakable(text));
}

}  // namespace
}  // namespace sonavia::reading
