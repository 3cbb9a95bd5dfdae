// What the speech library is handed for a unit: the reading list keeps the
// page's text as the conversion left it, and that text still carries the
// page's markup characters as entity names ("&LT;", which the page view
// writes so that the conversion cannot take them for tags) and, inside a
// link's text or an image's description, the conversion's own marks.
#pragma once

#include <string>
#include <string_view>

namespace sonavia::reading {

// `text` with every entity spoken as its character ("&LT;" gives "<", in
// any letter case, with its ";"; "&#8364;" gives the euro sign) and every
// conversion mark as a pause: "(PUNT)" as a full stop, "(G)", "(/G)",
// "(L)" and "(/L)" as a comma. Decoded once: a page that shows "&lt;"
// itself is heard saying so.
std::string SpokenText(std::string_view text);

// Whether a text has anything to say once it is spoken: a letter or a digit
// of any script, or a symbol with a name (a currency, an arrow, an emoji). A unit without one is
// passed over by the reading.
bool Speakable(std::string_view text);

}  // namespace sonavia::reading
