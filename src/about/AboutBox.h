// The information dialog "Parlant de...". It is also the start-up splash,
// and it owns the speech status poll, so it lives for the whole run.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Controls.h"
#include "platform/Desktop.h"
#include "platform/EventLoop.h"

namespace sonavia::about {

inline constexpr const char* kCaption = "Parlant de...";
inline constexpr const char* kMakerAddress = "https://www.sonavia.cat/";
inline constexpr int kClientWidth = 305;
inline constexpr int kClientHeight = 377;

class TAboutBox {
 public:
  TAboutBox(platform::EventLoop& loop, platform::Desktop& desktop);
  TAboutBox(const TAboutBox&) = delete;
  TAboutBox& operator=(const TAboutBox&) = delete;

  platform::Label Panel1{"Panel1"};
  platform::Label ImageOrella{"ImageOrella"};
  platform::Label ImageOrdinador{"ImageOrdinador"};
  platform::Label ProductName{"ProductName"};
  platform::Label Version{"Version"};
  platform::Label MakerLabel{"MakerLabel"};
  platform::Label Comments{"Comments"};
  platform::Button OKButton{"OKButton"};
  platform::Label Panel2{"Panel2"};
  platform::Label Image2{"Image2"};
  platform::Label Image1{"Image1"};
  platform::Label Label1{"Label1"};
  platform::Label Label2{"Label2"};
  platform::Label Memo1{"Memo1"};
  platform::Label Image3{"Image3"};
  std::unique_ptr<platform::Timer> Timer1;
  std::unique_ptr<platform::Timer> Timer2;
  // The speech status poll; its handler is the reading sequencer's.
  std::unique_ptr<platform::Timer> TimerStatusUpcTV;

  int Height() const { return height_; }
  void SetHeight(int height);
  bool Visible() const { return visible_; }
  bool MemoReadOnly() const { return memoReadOnly_; }

  void FormCreate();
  void FormShow();
  void FormClose();
  void FormHide();
  void Timer1Timer();
  void Timer2Timer();
  void Image2Click() { Advance(Image2); }
  void Image1Click() { Advance(Image1); }
  void Label1Click() { Advance(Label1); }
  void Label2Click() { Advance(Label2); }
  void FormClick() { Memo1.SetVisible(!Memo1.Visible()); }
  void Panel2Click() { FormClick(); }
  void Panel1Click();
  void Image3Click();
  void ProductNameClick() { desktop_.OpenWebPage(kMakerAddress); }
  void MakerLabelClick() { desktop_.OpenWebPage(kMakerAddress); }

  // Shown without modality (the splash) and hidden again.
  void ShowNonModal();
  void Hide();
  // Shown modally from the menu: `RunModal`, set by the view, runs the
  // dialog's own loop; CloseDialog ends it (the OK button does).
  void ShowModal();
  void CloseDialog();
  std::function<void()> RunModal;
  std::function<void()> OnStateChanged;

 private:
  // Hides the given view and shows the next one of the cycle.
  void Advance(platform::Label& view);
  void Notify() {
    if (OnStateChanged) OnStateChanged();
  }

  platform::Desktop& desktop_;
  int height_ = kClientHeight;
  bool visible_ = false;
  bool memoReadOnly_ = false;
};

}  // namespace sonavia::about
