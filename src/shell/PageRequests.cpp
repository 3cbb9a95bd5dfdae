#include "shell/PageRequests.h"

namespace sonavia::shell {

std::string RefusalText(PageAsk ask) {
  switch (ask) {
    case PageAsk::Location:
      return "La pàgina demana la ubicació; no la hi dono";
    case PageAsk::Notifications:
      return "La pàgina demana enviar avisos; no l'hi deixo";
    case PageAsk::Camera:
      return "La pàgina demana la càmera; no la hi dono";
    case PageAsk::Microphone:
      return "La pàgina demana el micròfon; no l'hi dono";
    case PageAsk::CameraAndMicrophone:
      return "La pàgina demana la càmera i el micròfon; no els hi dono";
    case PageAsk::Screen:
      return "La pàgina demana veure la pantalla; no l'hi deixo";
    case PageAsk::Other:
      break;
  }
  return "La pàgina demana un permís; no l'hi dono";
}

std::string PageWindowText(PageWindowKind kind) {
  switch (kind) {
    case PageWindowKind::File:
      return "La pàgina obre una finestra per triar un fitxer. Escapada la tanca.";
    case PageWindowKind::Colour:
      return "La pàgina obre una finestra per triar un color. Escapada la tanca.";
    case PageWindowKind::Date:
      return "La pàgina obre un calendari per triar una data. Escapada el tanca.";
    case PageWindowKind::List:
      break;
  }
  return "La pàgina obre una llista per triar. Escapada la tanca.";
}

PageRequests::PageRequests(platform::EventLoop& loop,
                           std::function<void(const std::string&)> notice)
    : notice_(std::move(notice)), timer_(loop.CreateTimer()) {
  timer_->SetEnabled(false);
  timer_->SetInterval(kPageRequestsGathered);
  timer_->SetOnTimer([this] { Tell(); });
}

void PageRequests::NewPage() {
  told_.clear();
  // What the page left behind asked is no concern of the next one.
  pending_.clear();
  timer_->SetEnabled(false);
}

void PageRequests::Refused(PageAsk ask) {
  // A page that asks again and again is told once: it must not hold the
  // reading.
  if (closed_ || !told_.insert(ask).second) return;
  Add(RefusalText(ask));
}

void PageRequests::WindowOpened(PageWindowKind kind) {
  if (!closed_) Add(PageWindowText(kind));
}

void PageRequests::Close() {
  closed_ = true;
  timer_->SetEnabled(false);
}

void PageRequests::Add(const std::string& text) {
  if (!pending_.empty()) pending_ += pending_.back() == '.' ? " " : ". ";
  pending_ += text;
  if (!timer_->Enabled()) timer_->SetEnabled(true);
}

void PageRequests::Tell() {
  timer_->SetEnabled(false);
  std::string text;
  text.swap(pending_);
  if (!text.empty() && !closed_) notice_(text);
}

}  // namespace sonavia::shell
