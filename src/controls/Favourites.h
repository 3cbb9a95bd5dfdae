// The user's favourites ("Preferits"): named addresses kept in a file of
// their own beside the settings, one line each ("address<TAB>name", UTF-8),
// replaced whole through a temporary file. A line that is not a favourite is
// skipped, and kept as it is when the file is written again. The start page
// is always the first favourite; it is not written.
//
// A switch user opens one from the second cycle's "Preferits": they are
// offered one a step, each said by its name, and a press opens it.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sonavia::controls {

inline constexpr const char* kFavouritesFileName = "Preferits.txt";
inline constexpr const char* kStartPageName = "Pàgina d'inici";
// A name is cut here (it comes from a page's title).
inline constexpr size_t kMaxFavouriteName = 250;

struct Favourite {
  std::string address;
  std::string name;
};

// A line of the file as a favourite, or none when it is not one: no tab, an
// empty address or name, text that is not UTF-8, an address longer than the
// program keeps.
std::optional<Favourite> ParseFavourite(const std::string& line);

class Favourites {
 public:
  struct Hooks {
    // The start page's address, when it is needed.
    std::function<std::string()> startPage;
    // Says a favourite's name, in the item voice, within the step.
    std::function<void(const std::string&)> say;
    std::function<void(const std::string&)> open;
    // A write failed: why.
    std::function<void(const std::string&)> failed{};
  };
  explicit Favourites(Hooks hooks) : h_(std::move(hooks)) {}

  // Reads the file at `path` (an empty list when there is none).
  void Load(std::string path);
  // The start page first, then the file's favourites in its order.
  std::vector<Favourite> List() const;
  // Adds `address` named `name` (its blanks and line breaks made single
  // blanks) at the end, or renames it when it is there; writes the file.
  // Returns the name given.
  std::string Add(const std::string& address, const std::string& name);
  // Renames or removes the favourite of `address`; false when there is none
  // (the start page is neither renamed nor removed).
  bool Rename(const std::string& address, const std::string& name);
  bool Remove(const std::string& address);

  // The switch: offered one a step from the first; a pass without a choice
  // ends it.
  void Start();
  bool Active() const { return offered_.has_value(); }
  bool Step();
  void Press();
  bool Stop();
  // The one offered, from 0.
  std::optional<size_t> Offered() const { return offered_; }

 private:
  struct Line {
    std::string text;  // as read, for a line that is not a favourite
    std::optional<Favourite> favourite;
  };
  void Save();
  void Offer();
  Line* Find(const std::string& address);

  Hooks h_;
  std::string path_;
  std::vector<Line> lines_;
  std::optional<size_t> offered_;
  std::vector<Favourite> offeredList_;
};

}  // namespace sonavia::controls
