// A page's forms and controls through the real engine: a field reached with
// Tab is named, what is typed is heard, Enter sends the form; Enter stays
// the program's with no control or a control the page chose; each kind of
// control described as the program announces it.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <string>

#include "platform/Cp1252.h"
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

  std::string Url() { return p.window.Browser().LocationURL(); }
  bool Requested(const std::string& target) {
    const auto& r = server.requests;
    return std::find(r.begin(), r.end(), "GET " + target) != r.end();
  }
  // Whether a whole utterance, blanks aside, was `text`, compared as the
  // record is read.
  bool Heard(const std::string& said, size_t from) {
    const std::string text =
        QString::fromStdString(platform::Cp1252ToUtf8(said)).toLower().toStdString();
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
  EXPECT_TRUE(WaitFor([&] { return Heard("Camp de text, Paraula", from); }, 10000))
      << ::testing::PrintToString(p.SaidTexts());
  const size_t typed = p.SaidTexts().size();
  for (Qt::Key key : {Qt::Key_G, Qt::Key_A, Qt::Key_T}) {
    p.Key(key);
    Pump(300);
  }
  EXPECT_TRUE(WaitFor([&] { return Heard("g", typed) && Heard("t", typed); }, 10000))
      << ::testing::PrintToString(p.SaidTexts());
  p.Key(Qt::Key_Return);
  EXPECT_TRUE(WaitFor([&] { return Requested("/cerca?q=gat"); }, 10000))
      << ::testing::PrintToString(server.requests);
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
  const auto recorded = [](const char* text) {
    return QString::fromStdString(platform::Cp1252ToUtf8(text)).toLower().toStdString();
  };
  EXPECT_EQ(heard,
            (std::vector<std::string>{"cerqueu al lloc.", "paraula", "camp de text", "paraula",
                                      recorded("Botó"), "cerca", "link", "primer"}));
}

TEST_F(FormsView, EnterWithNoControlOrAControlThePageFocusedFollowsTheLinkRead) {
  struct Case {
    const char* what;
    const char* script;  // what the page does once loaded
  } const cases[] = {
      {"no control", ""},
      {"a button the page focuses",
       "<script>setTimeout(function () { document.querySelector('button').focus(); }, 300);"
       "</script>"},
      {"a field the page focuses", "<script>document.getElementById('q').focus();</script>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    server.requests.clear();
    server.Page("/Forms.htm", Page("Cerca", std::string(kSearch) + c.script));
    Open("/Forms.htm", "Cerca");
    Pump(800);
    p.Key(Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&] { return Url() == server.Address("/Primer.htm"); }, 10000));
    Pump(300);
    EXPECT_FALSE(Requested("/cerca?q=")) << "the page did not get the key";
  }
}

TEST_F(FormsView, EachControlIsDescribedAsItIsAnnounced) {
  server.Page("/Controls.htm",
              Page("Controls",
                   "<label>Nom <input id=\"a\" value=\"Anna\" required></label>"
                   "<input id=\"b\" type=\"search\" placeholder=\"Cerca al lloc\">"
                   "<input id=\"c\" type=\"password\" aria-label=\"Clau\" value=\"x\">"
                   "<textarea id=\"d\" title=\"Comentari\">Hola</textarea>"
                   "<input id=\"e\" type=\"checkbox\" checked> <label for=\"e\">Accepto</label>"
                   "<input id=\"f\" type=\"radio\" name=\"r\" aria-label=\"No\">"
                   "<select id=\"g\" aria-label=\"Idioma\"><option>Català</option>"
                   "<option selected>Castellà</option></select>"
                   "<button id=\"h\"><img src=\"x.png\" alt=\"Envia\"></button>"
                   "<input id=\"i\" type=\"submit\" value=\"Desa\">"
                   "<details open><summary id=\"j\">Més</summary>Detall</details>"
                   "<div id=\"k\" role=\"button\" tabindex=\"0\">Tanca</div>"));
  Open("/Controls.htm", "Controls");
  const struct {
    const char* id;
    const char* said;
  } cases[] = {
      {"a", "Camp de text, obligatori, Nom, Anna"},
      {"b", "Camp de text, Cerca al lloc"},
      {"c", "Contrasenya, Clau"},
      {"d", "Àrea de text, Comentari, Hola"},
      {"e", "Casella de selecció, marcada, Accepto"},
      {"f", "Botó d'opció, no seleccionat, No"},
      {"g", "Llista, Idioma, Castellà"},
      {"h", "Botó, Envia"},
      {"i", "Botó, Desa"},
      {"j", "Desplegable, obert, Més"},
      {"k", "Botó, Tanca"},
  };
  // Each Tab of the user's lands on the next, which is announced.
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    const size_t from = p.SaidTexts().size();
    p.Key(Qt::Key_Tab);
    EXPECT_TRUE(WaitFor([&] { return Heard(c.said, from); }, 10000))
        << ::testing::PrintToString(p.SaidTexts());
  }
}

}  // namespace
}  // namespace sonavia::qt
