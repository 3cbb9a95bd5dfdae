// What a page asks and the windows it opens, as the user hears them: once
// per page for each request, every time for a window, requests that come
// together said together, and the reading never held.
#include "shell/PageRequests.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "controls/SwitchWindow.h"
#include "support/SimulatedEventLoop.h"

namespace sonavia::shell {
namespace {

using Lines = std::vector<std::string>;

struct Told {
  testing::SimulatedEventLoop loop;
  Lines said;
  PageRequests requests{loop, [this](const std::string& text) {
                          said.push_back(std::to_string(loop.Elapsed()) + " " + text);
                        }};
};

TEST(PageRequests, EachRequestIsToldOncePerPageAndEachWindowEveryTime) {
  struct Case {
    PageAsk ask;
    const char* text;
  } const cases[] = {
      {PageAsk::Location, "La pàgina demana la ubicació; no la hi dono"},
      {PageAsk::Notifications, "La pàgina demana enviar avisos; no l'hi deixo"},
      {PageAsk::Camera, "La pàgina demana la càmera; no la hi dono"},
      {PageAsk::Microphone, "La pàgina demana el micròfon; no l'hi dono"},
      {PageAsk::CameraAndMicrophone, "La pàgina demana la càmera i el micròfon; no els hi dono"},
      {PageAsk::Screen, "La pàgina demana veure la pantalla; no l'hi deixo"},
      {PageAsk::Other, "La pàgina demana un permís; no l'hi dono"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Told t;
    for (int i = 0; i < 50; ++i) t.requests.Refused(c.ask);  // a page that keeps asking
    t.loop.RunFor(1000);
    t.requests.Refused(c.ask);
    t.loop.RunFor(1000);
    t.requests.NewPage();
    t.requests.Refused(c.ask);
    t.loop.RunFor(1000);
    EXPECT_EQ(t.said, (Lines{std::string("300 ") + c.text, std::string("2300 ") + c.text}));
  }
  Told t;
  t.requests.WindowOpened(PageWindowKind::File);
  t.loop.RunFor(1000);
  t.requests.WindowOpened(PageWindowKind::File);
  t.loop.RunFor(1000);
  EXPECT_EQ(t.said,
            (Lines{"300 La pàgina obre una finestra per triar un fitxer. Escapada la tanca.",
                   "1300 La pàgina obre una finestra per triar un fitxer. Escapada la tanca."}));
}

TEST(PageRequests, WhatComesTogetherIsSaidTogetherAndALeftPageSaysNothing) {
  Told t;
  t.requests.Refused(PageAsk::Location);
  t.loop.RunFor(100);
  t.requests.WindowOpened(PageWindowKind::Date);
  t.requests.Refused(PageAsk::Notifications);
  t.loop.RunFor(1000);
  EXPECT_EQ(t.said, (Lines{"300 La pàgina demana la ubicació; no la hi dono. La pàgina obre un "
                           "calendari per triar una data. Escapada el tanca. La pàgina demana "
                           "enviar avisos; no l'hi deixo"}));
  t.said.clear();
  t.requests.Refused(PageAsk::Camera);
  t.requests.NewPage();
  t.requests.WindowOpened(PageWindowKind::Colour);
  t.requests.Close();
  t.loop.RunFor(1000);
  EXPECT_TRUE(t.said.empty()) << ::testing::PrintToString(t.said);
}

TEST(PageRequests, ARequestDuringTheReadingIsSaidAsideAndTheReadingGoesOn) {
  sonavia::testing::SwitchRig r;
  r.LoadLongPage(20);
  ASSERT_TRUE(r.RunUntil([&] { return r.list->UnitCursor >= 4; }));
  const uint64_t asked = r.loop.Elapsed();
  r.browser.AskPermission(PageAsk::Location);
  r.RunTo(asked + 8000);
  const Lines said = r.Said(asked);
  const auto told = std::find_if(said.begin(), said.end(), [](const std::string& line) {
    return line.ends_with(" La pàgina demana la ubicació; no la hi dono");
  });
  ASSERT_NE(told, said.end()) << ::testing::PrintToString(said);
  EXPECT_LE(std::stoull(*told) - asked, kPageRequestsGathered + 200);
  EXPECT_GE(said.end() - told, 3) << "the reading goes on after it";
  EXPECT_EQ(r.main.StatusBar1.Text(), "La pàgina demana la ubicació; no la hi dono");
  EXPECT_GE(r.list->UnitCursor, 6) << "read on after it";
}

}  // namespace
}  // namespace sonavia::shell
