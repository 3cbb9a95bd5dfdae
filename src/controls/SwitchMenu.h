// The second cycle's places: buttons after the nine, shown only while the
// scan walks them, for the page's elements and the menu commands a switch
// user needs and the nine do not give: page or links, the other language,
// restart, the link being read, the next frame, spoken scanning, the page's
// sound, and scanning off.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"

namespace sonavia::controls {

class SwitchMenu {
 public:
  // The menu items whose commands the places run, and whose state they show.
  struct Items {
    platform::MenuItem& pageOrLinks;
    platform::MenuItem& catalan;
    platform::MenuItem& castilian;
    platform::MenuItem& restart;
    platform::MenuItem& followLinkRead;
    platform::MenuItem& nextFrame;
    platform::MenuItem& spoken;
    platform::MenuItem& pageSound;  // checked: the page is silenced
    platform::MenuItem& scanning;
  };
  // `run` runs a chosen place's command (the scan leaves the cycle first).
  // `pageElements` offers the page's elements to the scan.
  SwitchMenu(Items items, std::function<void(const std::function<void()>&)> run,
             std::function<void()> pageElements);
  SwitchMenu(const SwitchMenu&) = delete;
  SwitchMenu& operator=(const SwitchMenu&) = delete;

  platform::Button SpeedButtonEscElements{"SpeedButtonEscElements"},
      SpeedButtonEscLinks{"SpeedButtonEscLinks"}, SpeedButtonEscLlengua{"SpeedButtonEscLlengua"},
      SpeedButtonEscComencar{"SpeedButtonEscComencar"},
      SpeedButtonEscLinkLlegit{"SpeedButtonEscLinkLlegit"},
      SpeedButtonEscMarc{"SpeedButtonEscMarc"}, SpeedButtonEscParlat{"SpeedButtonEscParlat"},
      SpeedButtonEscSo{"SpeedButtonEscSo"}, SpeedButtonEscAturar{"SpeedButtonEscAturar"};

  // Places for typing, the favourites and the reading's speed.
  platform::Button SpeedButtonEscEscriure{"SpeedButtonEscEscriure"},
      SpeedButtonEscPreferits{"SpeedButtonEscPreferits"},
      SpeedButtonEscAfegirPreferit{"SpeedButtonEscAfegirPreferit"},
      SpeedButtonEscMesRapid{"SpeedButtonEscMesRapid"},
      SpeedButtonEscMesLent{"SpeedButtonEscMesLent"};
  struct More {
    std::function<void()> write, favourites, addFavourite, faster, slower;
    // Whether the speed can change (the speech library is there).
    std::function<bool()> speaks;
  };
  // Gives those places their commands; until then they never show.
  void SetMore(More more);
  // More places after these, each running a menu item's command and
  // showing while the item is enabled and `offered` says so (a move to a
  // heading on a page without one is not), with a caption that names what
  // a press does now. Added before the window lays its buttons out.
  struct MorePlace {
    const char* name;  // the button's
    platform::MenuItem& item;
    std::function<std::string()> caption;
    std::function<bool()> offered = [] { return true; };
  };
  void AddPlaces(const std::vector<MorePlace>& places);

  // The places, in the order the scan visits them.
  std::vector<platform::Button*> Buttons();
  // Shows the places whose command can run now, with captions that say
  // what they do, or hides them all; returns how many show.
  int Show(bool show);

 private:
  struct Place {
    platform::Button& button;
    platform::MenuItem& item;  // enabled: the place shows
  };
  std::vector<Place> Places();

  Items i_;
  std::function<void(const std::function<void()>&)> run_;
  More more_;
  platform::MenuItem write_{"mnuEscEscriure"}, favourites_{"mnuEscPreferits"},
      rate_{"mnuEscVelocitat"};
  std::vector<std::unique_ptr<platform::Button>> moreButtons_;
  std::vector<MorePlace> places_;
  // Always there: a page may have elements to press whatever else is on.
  platform::MenuItem elements_{"mnuElementsPagina"};
};

}  // namespace sonavia::controls
