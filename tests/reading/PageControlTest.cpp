// A page's controls as the program says them: kind, state, label and value
// in both of the user's languages, and their place in the reading list.
#include <gtest/gtest.h>

#include <memory>

#include "reading/PageControl.h"
#include "reading/PageConverter.h"
#include "reading/ReadingFollower.h"

namespace sonavia::reading {
namespace {

using K = ControlKind;

TEST(ControlAnnouncement, EachKindAndStateInEitherLanguage) {
  struct Case {
    PageControl control;
    const char* catalan;
    const char* castilian;
  } const cases[] = {
      // clang-format off
      {{K::TextField, "Cerca", "", false, true}, "Camp de text, obligatori, Cerca", "Campo de texto, obligatorio, Cerca"},
      {{K::TextField, "Nom", "Anna"}, "Camp de text, Nom, Anna", "Campo de texto, Nom, Anna"},
      {{K::Password, "Clau", "secreta"}, "Contrasenya, Clau", "Contraseña, Clau"},
      {{K::TextArea, "Comentari", "Hola"}, "Àrea de text, Comentari, Hola", "Área de texto, Comentari, Hola"},
      {{K::Button, ""}, "Botó", "Botón"},
      {{K::CheckBox, "Sí", "", true}, "Casella de selecció, marcada, Sí", "Casilla de verificación, marcada, Sí"},
      {{K::CheckBox, "Sí"}, "Casella de selecció, sense marcar, Sí", "Casilla de verificación, sin marcar, Sí"},
      {{K::Radio, "Sí", "", true}, "Botó d'opció, seleccionat, Sí", "Botón de opción, seleccionado, Sí"},
      {{K::Radio, "No"}, "Botó d'opció, no seleccionat, No", "Botón de opción, no seleccionado, No"},
      {{K::List, "Idioma", "Català", false, true}, "Llista, obligatori, Idioma, Català", "Lista, obligatorio, Idioma, Català"},
      {{K::Summary, "Més", "", false, false, true}, "Desplegable, obert, Més", "Desplegable, abierto, Més"},
      {{K::Summary, "Més"}, "Desplegable, tancat, Més", "Desplegable, cerrado, Més"},
      {{K::Link, "Inici"}, "Link, Inici", "Enlace, Inici"},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.catalan);
    EXPECT_EQ(ControlAnnouncement(c.control, false), c.catalan);
    EXPECT_EQ(ControlAnnouncement(c.control, true), c.castilian);
  }
}

// Units 3 on of a converted body, "kind text" ("*" for the program's words),
// once its controls are placed.
std::vector<std::string> Placed(ReadingList& list, const std::string& body,
                                const std::vector<PageControl>& controls) {
  list.SetPageTitle("T");
  PageConverter(list, nullptr).ConvertPage(body);
  PlaceControls(list, controls, false);
  std::vector<std::string> texts;
  for (int32_t i = 3; i <= list.UnitCount; ++i) {
    const ReadingUnit& u = list.Unit(i);
    texts.push_back(std::to_string(static_cast<int>(u.Kind)) + (u.Own ? "*" : " ") + u.Text);
  }
  return texts;
}

TEST(PlaceControls, TheReadingSaysEachControlInItsPlaceLikeALink) {
  const std::vector<PageControl> controls = {{K::TextField, "Cerca", "gats"}, {K::Button, "Vés"}};
  auto list = std::make_unique<ReadingList>();
  EXPECT_EQ(
      Placed(*list,
             "<body>Busqueu:<img src=\"(C)1\"><img src=\"(C)2\">.<br><a href=\"a.htm\">A</a> "
             "<img src=\"x.png\" alt=\"Foto\"></body>",
             controls),
      (std::vector<std::string>{"1 BUSQUEU:", "2*Camp de text", "2 Cerca, gats", "2*Botó", "2 Vés",
                                "1 ", "2 LINK", "2 A", "1  ", "2 Imatge ", "2 FOTO ", "1  "}));
  // The mark counts a control as the image it stands in for.
  EXPECT_EQ(MarkForUnit(*list, 7), (ReadingMark{MarkKind::Image, "Vés", 2}));
  EXPECT_EQ(MarkForUnit(*list, 12), (ReadingMark{MarkKind::Image, "FOTO ", 3}));
  // F7: the program's words in the other language, the page's unchanged.
  RenameControls(*list, {4, 6}, controls, true);
  EXPECT_EQ(list->Unit(4).Text + "|" + list->Unit(6).Text + "|" + list->Unit(7).Text,
            "Campo de texto|Botón|Vés");
  // A number beyond the list, one not a number, and an image whose source
  // merely begins like a mark are left as images.
  EXPECT_EQ(Placed(*list,
                   "<body><img src=\"(C)3\"><img src=\"(C)1x\"><img src=\"(C)\"><img "
                   "src=\"(C)1\"></body>",
                   {{K::Button, "Un"}}),
            (std::vector<std::string>{"2 Imatge ", "2 (C)3", "2 Imatge ", "2 (C)1X", "2 Imatge ",
                                      "2 (C)", "2*Botó", "2 Un", "1  "}));
}

}  // namespace
}  // namespace sonavia::reading
