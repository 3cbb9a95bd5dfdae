#include "controls/SwitchMenu.h"

#include <string>

#include "controls/ReadingCommands.h"

namespace sonavia::controls {

SwitchMenu::SwitchMenu(Items items, std::function<void(const std::function<void()>&)> run,
                       std::function<void()> pageElements)
    : i_(items), run_(run) {
  for (platform::MenuItem* item : {&write_, &favourites_, &rate_}) item->SetEnabled(false);
  for (platform::Button* button :
       {&SpeedButtonEscEscriure, &SpeedButtonEscPreferits, &SpeedButtonEscAfegirPreferit,
        &SpeedButtonEscMesRapid, &SpeedButtonEscMesLent})
    button->SetVisible(false);
  auto wire = [&run](platform::Button& button, std::function<void()> command) {
    button.SetVisible(false);
    button.OnClick = [run, command] { run(command); };
  };
  // Each runs its menu item as a click on it would: nothing when disabled.
  auto click = [](platform::MenuItem& item) { return [&item] { item.Click(); }; };
  wire(SpeedButtonEscElements, std::move(pageElements));
  wire(SpeedButtonEscLinks, click(i_.pageOrLinks));
  wire(SpeedButtonEscLlengua, [this] {
    // The language not in use is the enabled one.
    i_.castilian.Enabled() ? i_.castilian.Click() : i_.catalan.Click();
  });
  wire(SpeedButtonEscComencar, click(i_.restart));
  wire(SpeedButtonEscLinkLlegit, click(i_.followLinkRead));
  wire(SpeedButtonEscMarc, click(i_.nextFrame));
  wire(SpeedButtonEscParlat, click(i_.spoken));
  wire(SpeedButtonEscSo, click(i_.pageSound));
  wire(SpeedButtonEscAturar, click(i_.scanning));
}

void SwitchMenu::SetMore(More more) {
  more_ = std::move(more);
  auto wire = [this](platform::Button& button, const std::function<void()>& command,
                     bool runsInCycle = false) {
    // The speed changes where the scan is: the next press can change it again.
    if (runsInCycle) {
      button.OnClick = [command] {
        if (command) command();
      };
    } else {
      button.OnClick = [run = run_, command] { run(command); };
    }
  };
  wire(SpeedButtonEscEscriure, more_.write);
  wire(SpeedButtonEscPreferits, more_.favourites);
  wire(SpeedButtonEscAfegirPreferit, more_.addFavourite);
  wire(SpeedButtonEscMesRapid, more_.faster, true);
  wire(SpeedButtonEscMesLent, more_.slower, true);
  write_.SetEnabled(static_cast<bool>(more_.write));
  favourites_.SetEnabled(static_cast<bool>(more_.favourites));
}

std::vector<SwitchMenu::Place> SwitchMenu::Places() {
  // The item that decides whether the language place shows is the one it
  // would choose.
  platform::MenuItem& language = i_.castilian.Enabled() ? i_.castilian : i_.catalan;
  rate_.SetEnabled(more_.speaks && more_.speaks());
  return {{SpeedButtonEscElements, elements_},    {SpeedButtonEscEscriure, write_},
          {SpeedButtonEscPreferits, favourites_}, {SpeedButtonEscAfegirPreferit, favourites_},
          {SpeedButtonEscLinks, i_.pageOrLinks},  {SpeedButtonEscLlengua, language},
          {SpeedButtonEscComencar, i_.restart},   {SpeedButtonEscLinkLlegit, i_.followLinkRead},
          {SpeedButtonEscMarc, i_.nextFrame},     {SpeedButtonEscMesRapid, rate_},
          {SpeedButtonEscMesLent, rate_},         {SpeedButtonEscParlat, i_.spoken},
          {SpeedButtonEscSo, i_.pageSound},       {SpeedButtonEscAturar, i_.scanning}};
}

void SwitchMenu::AddPlaces(const std::vector<MorePlace>& places) {
  for (const MorePlace& place : places) {
    auto button = std::make_unique<platform::Button>(place.name);
    button->SetVisible(false);
    platform::MenuItem* item = &place.item;
    button->OnClick = [run = run_, item] { run([item] { item->Click(); }); };
    moreButtons_.push_back(std::move(button));
    places_.push_back(place);
  }
}

std::vector<platform::Button*> SwitchMenu::Buttons() {
  std::vector<platform::Button*> buttons;
  for (const Place& place : Places()) buttons.push_back(&place.button);
  for (const auto& button : moreButtons_) buttons.push_back(button.get());
  return buttons;
}

int SwitchMenu::Show(bool show) {
  // The captions name what a press does now; a line break splits the longer.
  const bool toLinks = i_.pageOrLinks.Caption() == ReadingModeCaption(reading::ReadingMode::Page);
  SpeedButtonEscElements.SetCaption("Elements de\nla pàgina");
  SpeedButtonEscLinks.SetCaption(toLinks ? "Llegir\nlinks" : "Llegir\npàgina");
  SpeedButtonEscLlengua.SetCaption(i_.castilian.Enabled() ? "Castellà" : "Català");
  SpeedButtonEscComencar.SetCaption(
      "Tornar a\ncomenç"
      "ar");
  SpeedButtonEscLinkLlegit.SetCaption("Link\nllegit");
  SpeedButtonEscMarc.SetCaption(
      "Marc\nsegü"
      "ent");
  SpeedButtonEscEscriure.SetCaption("Escriure");
  SpeedButtonEscPreferits.SetCaption("Preferits");
  SpeedButtonEscAfegirPreferit.SetCaption("Afegir als\npreferits");
  SpeedButtonEscMesRapid.SetCaption("Més\nràpid");
  SpeedButtonEscMesLent.SetCaption("Més\nlent");
  SpeedButtonEscParlat.SetCaption(i_.spoken.Checked() ? "Escaneig\nmut" : "Escaneig\nparlat");
  SpeedButtonEscSo.SetCaption(i_.pageSound.Checked() ? "So de la\npàgina" : "Silenciar\npàgina");
  SpeedButtonEscAturar.SetCaption("Aturar\nescaneig");
  int shown = 0;
  for (const Place& place : Places()) {
    const bool visible = show && place.item.Enabled() && place.item.Visible();
    place.button.SetVisible(visible);
    if (visible) ++shown;
  }
  for (size_t k = 0; k < places_.size(); ++k) {
    platform::Button& button = *moreButtons_[k];
    button.SetCaption(places_[k].caption());
    const bool visible =
        show && places_[k].item.Enabled() && places_[k].item.Visible() && places_[k].offered();
    button.SetVisible(visible);
    if (visible) ++shown;
  }
  return shown;
}

}  // namespace sonavia::controls
