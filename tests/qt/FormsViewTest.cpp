// A page's forms and controls through the real engine: a field reached with
// Tab is named, what is typed is heard, Enter sends the form; Enter stays
// the program's with no control or a control the page chose; each kind of
// control described as the program announces it.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <string>

#include "qt/LocalServer.h"
#include "qt/QtWait.h"
#include "qt/RealProgram.h"

namespace sonavia::qt {
namespace {

using sonavia::testing::Pump;
using sonavia::testing::WaitFor;

std::string Page(const std::string& title, const std::string& body) {
  return "<html><head><meta charset=\"utf-8\"><title>" + title +
         "</title></head><body style=\"font-size:20px\">" + body + "</body></html>";
}

const char* const kSearch =
    "<p>Cerqueu al lloc.</p><form action=\"/cerca\"><label for=\"q\">Paraula</label>"
    " <input id=\"q\" name=\"q\"> <button>Cerca</button></form>"
    "<p><a href=\"/Primer.htm\">Primer</a></p>";

struct FormsView : ::testing::Test {
  testing::LocalServer server;
  testing::RealProgram p{Page("Inici", "")};

  bool Requested(const std::string& target) {
    const auto& r = server.requests;
    return std::find(r.begin(), r.end(), "GET " + target) != r.end();
  }
  // A text as the record is read back.
  static std::string Recorded(const std::string& said) {
    return QString::fromStdString(said).toLower().toStdString();
  }
  // Whether a whole utterance since `from`, blanks aside, was `said`.
  bool Heard(const std::string& said, size_t from) {
    const std::string text = Recorded(said);
    const auto texts = p.SaidTexts();
    return std::any_of(texts.begin() + static_cast<long>(std::min(from, texts.size())), texts.end(),
                       [&](std::string t) {
                         while (!t.empty() && t.back() == ' ') t.pop_back();
                         return t == text;
                       });
  }
  void Open(const std::string& path, const std::string& title) {
    p.form->GoToAddress(server.Address(path));
    ASSERT_TRUE(p.Loaded(title));
  }
};

TEST_F(FormsView, TabIntoTheFieldTypeAndEnterSendTheFormAndTheResultsAreRead) {
  server.Page("/Forms.htm", Page("Cerca", kSearch));
  server.Page("/cerca", Page("Resultats", "<p>Tres resultats.</p>"));
  Open("/Forms.htm", "Cerca");
  const size_t from = p.SaidTexts().size();
  p.Key(Qt::Key_Tab);
  EXPECT_TRUE(WaitFor([&] { return Heard("Camp de text, Paraula", from); }, 10000));
  const size_t typed = p.SaidTexts().size();
  for (Qt::Key key : {Qt::Key_G, Qt::Key_A, Qt::Key_T}) p.Key(key), Pump(300);
  EXPECT_TRUE(WaitFor([&] { return Heard("g", typed) && Heard("t", typed); }, 10000));
  p.Key(Qt::Key_Return);
  EXPECT_TRUE(WaitFor([&] { return Requested("/cerca?q=gat"); }, 10000));
  EXPECT_TRUE(p.Loaded("Resultats"));
  EXPECT_TRUE(p.WaitToSay("tres resultats"));
  EXPECT_FALSE(Requested("/Primer.htm"));
}

TEST_F(FormsView, TheReadingSaysTheFieldAndTheButtonInTheirPlace) {
  server.Page("/Forms.htm", Page("Cerca", kSearch));
  Open("/Forms.htm", "Cerca");
  ASSERT_TRUE(p.WaitToSay("primer"));
  std::vector<std::string> heard;
  for (const std::string& text : p.SaidTexts()) {
    if (heard.empty() && text != "cerqueu al lloc.") continue;
    heard.push_back(text);
  }
  EXPECT_EQ(heard,
            (std::vector<std::string>{"cerqueu al lloc.", "paraula", "camp de text", "paraula",
                                      Recorded("Botó"), "cerca", "link", "primer"}));
}

TEST_F(FormsView, EnterWithNoControlOrAControlThePageFocusedFollowsTheLinkRead) {
  // What the page does once loaded.
  const std::pair<const char*, const char*> cases[] = {
      {"no control", ""},
      {"a button the page focuses",
       "<script>setTimeout(function () { document.querySelector('button').focus(); }, 300);"
       "</script>"},
      {"a field the page focuses", "<script>document.getElementById('q').focus();</script>"},
  };
  for (const auto& [what, script] : cases) {
    SCOPED_TRACE(what);
    server.requests.clear();
    server.Page("/Forms.htm", Page("Cerca", std::string(kSearch) + script));
    Open("/Forms.htm", "Cerca");
    Pump(800);
    p.Key(Qt::Key_Return);
    EXPECT_TRUE(WaitFor(
        [&] { return p.window.Browser().LocationURL() == server.Address("/Primer.htm"); }, 10000));
    Pump(300);
    EXPECT_FALSE(Requested("/cerca?q=")) << "the page did not get the key";
  }
}

TEST_F(FormsView, EachControlIsAnnouncedAsTabReachesIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"<label>Nom <input value=\"Anna\" required></label>", "Camp de text, obligatori, Nom, Anna"},
      {"<input type=\"search\" placeholder=\"Cerca al lloc\">", "Camp de text, Cerca al lloc"},
      {"<input type=\"password\" aria-label=\"Clau\" value=\"x\">", "Contrasenya, Clau"},
      {"<textarea title=\"Comentari\">Hola</textarea>", "Àrea de text, Comentari, Hola"},
      {"<input id=\"e\" type=\"checkbox\" checked><label for=\"e\">Accepto</label>",
       "Casella de selecció, marcada, Accepto"},
      {"<input type=\"radio\" aria-label=\"No\">", "Botó d'opció, no seleccionat, No"},
      {"<select aria-label=\"Idioma\"><option>Català<option selected>Castellà</select>",
       "Llista, Idioma, Castellà"},
      {"<button><img src=\"x.png\" alt=\"Envia\"></button>", "Botó, Envia"},
      {"<input type=\"submit\" value=\"Desa\">", "Botó, Desa"},
      {"<details open><summary>Més</summary>Detall</details>", "Desplegable, obert, Més"},
      {"<div role=\"button\" tabindex=\"0\">Tanca</div>", "Botó, Tanca"},
  };
  std::string body;
  for (const auto& [html, said] : cases) body += html;
  server.Page("/Controls.htm", Page("Controls", body));
  Open("/Controls.htm", "Controls");
  for (const auto& [html, said] : cases) {
    SCOPED_TRACE(html);
    const size_t from = p.SaidTexts().size();
    p.Key(Qt::Key_Tab);
    const std::string expected = said;
    EXPECT_TRUE(WaitFor([&] { return Heard(expected, from); }, 10000));
  }
}

}  // namespace
}  // namespace sonavia::qt
