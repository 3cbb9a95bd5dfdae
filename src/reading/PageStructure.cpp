#include "reading/PageStructure.h"

#include <charconv>

#include "reading/PageConverter.h"

namespace sonavia::reading {

namespace {

// "de 3", "d'1": Catalan elides before a number said with a vowel first.
std::string_view CatalanOf(int32_t n) {
  return n == 1 || n == 11 ? "d'" : "de ";
}

std::string Counted(int32_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

size_t NoteNumber(const ReadingUnit& unit) {
  const std::string& text = unit.Text;
  if (unit.Kind != UnitKind::Item || text.compare(0, kStructureMark.size(), kStructureMark) != 0)
    return 0;
  size_t number = 0;
  const char* first = text.data() + kStructureMark.size();
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, number);
  return error == std::errc() && end == last ? number : 0;
}

}  // namespace

std::string NoteWords(const StructureNote& note, bool castilian) {
  switch (note.kind) {
    case NoteKind::Heading:
      return (castilian ? "Título " : "Títol ") + std::to_string(note.level);
    case NoteKind::List:
      if (castilian) return "Lista de " + Counted(note.items, "elemento", "elementos");
      return "Llista " + std::string(CatalanOf(note.items)) +
             Counted(note.items, "element", "elements");
    case NoteKind::Table:
      if (castilian) {
        return "Tabla de " + Counted(note.rows, "fila", "filas") + " y " +
               Counted(note.columns, "columna", "columnas");
      }
      return "Taula " + std::string(CatalanOf(note.rows)) + Counted(note.rows, "fila", "files") +
             " i " + Counted(note.columns, "columna", "columnes");
    case NoteKind::Header:
      return {};
  }
  return {};
}

std::vector<int32_t> PlaceNotes(ReadingList& list, const std::vector<StructureNote>& notes,
                                bool castilian) {
  std::vector<int32_t> units(notes.size(), 0);
  for (int32_t i = 3; i < list.UnitCount; ++i) {
    ReadingUnit& word = list.Unit(i);
    if (word.Kind != UnitKind::Item || word.Text != kImageWord) continue;
    const size_t number = NoteNumber(list.Unit(i + 1));
    if (number == 0 || number > notes.size()) continue;
    const StructureNote& note = notes[number - 1];
    word = ReadingUnit{NoteWords(note, castilian), UnitKind::Item, true};
    list.Unit(i + 1).Text = note.kind == NoteKind::Header ? note.text : std::string();
    units[number - 1] = i;
    ++i;
  }
  return units;
}

void RenameNotes(ReadingList& list, const std::vector<int32_t>& units,
                 const std::vector<StructureNote>& notes, bool castilian) {
  for (size_t k = 0; k < units.size() && k < notes.size(); ++k) {
    if (units[k] <= 0 || units[k] > list.UnitCount) continue;
    ReadingUnit& word = list.Unit(units[k]);
    if (word.Own) word.Text = NoteWords(notes[k], castilian);
  }
}

}  // namespace sonavia::reading
