#include "reading/PageControl.h"

#include <array>
#include <charconv>

#include "reading/PageConverter.h"

namespace sonavia::reading {

namespace {

struct KindWords {
  std::string_view name;  // as the page script names it
  ControlKind kind;
  std::string_view catalan;
  std::string_view castilian;
};

constexpr std::array<KindWords, 9> kKinds{{
    {"link", ControlKind::Link, "Link", "Enlace"},
    {"button", ControlKind::Button, "Botó", "Botón"},
    {"text", ControlKind::TextField, "Camp de text", "Campo de texto"},
    {"password", ControlKind::Password, "Contrasenya", "Contraseña"},
    {"textarea", ControlKind::TextArea, "Àrea de text", "Área de texto"},
    {"checkbox", ControlKind::CheckBox, "Casella de selecció", "Casilla de verificación"},
    {"radio", ControlKind::Radio, "Botó d'opció", "Botón de opción"},
    {"list", ControlKind::List, "Llista", "Lista"},
    {"summary", ControlKind::Summary, "Desplegable", "Desplegable"},
}};

const KindWords& WordsOf(ControlKind kind) {
  for (const KindWords& words : kKinds) {
    if (words.kind == kind) return words;
  }
  return kKinds[1];
}

void Append(std::string& out, std::string_view part) {
  if (part.empty()) return;
  if (!out.empty()) out += ", ";
  out += part;
}

std::string_view State(const PageControl& c, bool es) {
  switch (c.kind) {
    case ControlKind::CheckBox:
      return c.checked ? "marcada" : (es ? "sin marcar" : "sense marcar");
    case ControlKind::Radio:
      return c.checked ? (es ? "seleccionado" : "seleccionat")
                       : (es ? "no seleccionado" : "no seleccionat");
    case ControlKind::Summary:
      return c.expanded ? (es ? "abierto" : "obert") : (es ? "cerrado" : "tancat");
    default:
      return {};
  }
}

}  // namespace

std::optional<ControlKind> ControlKindNamed(std::string_view name) {
  for (const KindWords& words : kKinds) {
    if (words.name == name) return words.kind;
  }
  return std::nullopt;
}

std::string ControlWords(const PageControl& control, bool castilian) {
  const KindWords& kind = WordsOf(control.kind);
  std::string out(castilian ? kind.castilian : kind.catalan);
  Append(out, State(control, castilian));
  if (control.required) Append(out, castilian ? "obligatorio" : "obligatori");
  return out;
}

std::string ControlPageWords(const PageControl& control) {
  std::string out = control.label;
  if (control.kind != ControlKind::Password) Append(out, control.value);
  return out;
}

std::string ControlAnnouncement(const PageControl& control, bool castilian) {
  std::string out = ControlWords(control, castilian);
  Append(out, ControlPageWords(control));
  return out;
}

namespace {

// The control a unit of an image's source names, from 1; 0 for none.
size_t ControlNumber(const ReadingUnit& unit) {
  const std::string& text = unit.Text;
  if (unit.Kind != UnitKind::Item || text.compare(0, kControlMark.size(), kControlMark) != 0)
    return 0;
  size_t number = 0;
  const char* first = text.data() + kControlMark.size();
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, number);
  return error == std::errc() && end == last ? number : 0;
}

}  // namespace

std::vector<int32_t> PlaceControls(ReadingList& list, const std::vector<PageControl>& controls,
                                   bool castilian) {
  std::vector<int32_t> units(controls.size(), 0);
  for (int32_t i = 3; i < list.UnitCount; ++i) {
    ReadingUnit& word = list.Unit(i);
    if (word.Kind != UnitKind::Item || word.Text != kImageWord) continue;
    const size_t number = ControlNumber(list.Unit(i + 1));
    if (number == 0 || number > controls.size()) continue;
    const PageControl& control = controls[number - 1];
    word = ReadingUnit{ControlWords(control, castilian), UnitKind::Item, true};
    list.Unit(i + 1).Text = ControlPageWords(control);
    units[number - 1] = i;
    ++i;
  }
  return units;
}

void RenameControls(ReadingList& list, const std::vector<int32_t>& units,
                    const std::vector<PageControl>& controls, bool castilian) {
  for (size_t k = 0; k < units.size() && k < controls.size(); ++k) {
    if (units[k] <= 0 || units[k] > list.UnitCount) continue;
    ReadingUnit& word = list.Unit(units[k]);
    if (word.Own) word.Text = ControlWords(controls[k], castilian);
  }
}

}  // namespace sonavia::reading
