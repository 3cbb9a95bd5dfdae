#include "about/AboutBox.h"

namespace sonavia::about {

TAboutBox::TAboutBox(platform::EventLoop& loop, platform::Desktop& desktop)
    : Timer1(loop.CreateTimer()),
      Timer2(loop.CreateTimer()),
      TimerStatusUpcTV(loop.CreateTimer()),
      desktop_(desktop) {
  ImageOrdinador.SetVisible(false);
  ProductName.SetText("Sonavia Control per escaneig");
  ProductName.SetHint(kMakerAddress);
  Version.SetText("Versió:  70 - 28/12/2000");
  MakerLabel.SetText("Sonavia, eines de veu per a tothom");
  MakerLabel.SetHint(kMakerAddress);
  Comments.SetText(
      "Fet per l'equip de Sonavia amb la col·laboració d'escoles i entitats "
      "d'educació especial.");
  OKButton.SetCaption("D'acord");
  Image1.SetVisible(false);
  Label1.SetText(
      "Pot ser la intel.ligència no és prou intel.ligent per conèixer a si mateixa. "
      "O pot ser és prou intel.ligent per no fer-ho.");
  Label1.SetVisible(false);
  Label2.SetText("A totes les persones que ens han ensenyat a escoltar.");
  Label2.SetVisible(false);
  Memo1.SetText(
      "“La màquina s'ha d'adaptar a la persona, i no la persona a la màquina.”\r\n"
      "“Una eina ben feta és la que no es fa notar.”\r\n"
      "“Si l'ordinador parla, tothom pot llegir.”\r\n\r\n"
      "Sonavia vol ajudar les persones amb discapacitat a fer servir l'ordinador: amb la veu, "
      "sentint en veu alta les pàgines web, governant-ho tot només amb el ratolí "
      "i amb teclats d'escaneig que es fan anar amb un sol polsador.");
  Memo1.SetVisible(false);
  Image3.SetVisible(false);
  Image3.SetHint("En Pallasso Rialles");
  Timer1->SetEnabled(false);
  Timer1->SetInterval(9200);
  Timer1->SetOnTimer([this] { Timer1Timer(); });
  Timer2->SetEnabled(false);
  Timer2->SetInterval(500);
  Timer2->SetOnTimer([this] { Timer2Timer(); });
  TimerStatusUpcTV->SetEnabled(false);
  TimerStatusUpcTV->SetInterval(100);
  OKButton.OnClick = [this] { CloseDialog(); };
  Image2.OnClick = [this] { Image2Click(); };
  Image1.OnClick = [this] { Image1Click(); };
  Label1.OnClick = [this] { Label1Click(); };
  Label2.OnClick = [this] { Label2Click(); };
  Panel1.OnClick = [this] { Panel1Click(); };
  Panel2.OnClick = [this] { Panel2Click(); };
  Image3.OnClick = [this] { Image3Click(); };
  ProductName.OnClick = [this] { ProductNameClick(); };
  MakerLabel.OnClick = [this] { MakerLabelClick(); };
}

void TAboutBox::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Notify();
}

void TAboutBox::FormCreate() {
  memoReadOnly_ = true;
}

void TAboutBox::FormShow() {
  Timer1->SetEnabled(true);
  Timer2->SetEnabled(true);
}

void TAboutBox::FormClose() {
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
}

void TAboutBox::FormHide() {
  FormClose();
}

void TAboutBox::Timer1Timer() {
  // The first visible view in this order moves on.
  for (platform::Label* view : {&Image1, &Label1, &Label2, &Image2}) {
    if (view->Visible()) {
      Advance(*view);
      return;
    }
  }
}

void TAboutBox::Advance(platform::Label& view) {
  platform::Label& next = &view == &Image2   ? Image1
                          : &view == &Image1 ? Label1
                          : &view == &Label1 ? Label2
                                             : Image2;
  view.SetVisible(false);
  next.SetVisible(true);
}

void TAboutBox::Timer2Timer() {
  if (ImageOrdinador.Visible()) {
    ImageOrdinador.SetVisible(false);
    ImageOrella.SetVisible(true);
  } else {
    ImageOrdinador.SetVisible(true);
    ImageOrella.SetVisible(false);
  }
}

void TAboutBox::Panel1Click() {
  Panel1.SetVisible(false);
  Panel2.SetVisible(false);
  Image3.SetVisible(true);
}

void TAboutBox::Image3Click() {
  Image3.SetVisible(false);
  Panel1.SetVisible(true);
  Panel2.SetVisible(true);
}

void TAboutBox::ShowNonModal() {
  if (visible_) return;
  visible_ = true;
  FormShow();
  Notify();
}

void TAboutBox::Hide() {
  if (!visible_) return;
  visible_ = false;
  FormHide();
  Notify();
}

void TAboutBox::ShowModal() {
  visible_ = true;
  FormShow();
  Notify();
  if (RunModal) RunModal();
}

void TAboutBox::CloseDialog() {
  if (!visible_) return;
  FormClose();
  visible_ = false;
  Notify();
}

}  // namespace sonavia::about
