// The one form in which the browser component gives a link's address: in
// the document's links, for the link under the pointer and for the focused
// one. The engine gives the same address in several spellings (decoded for
// the pointer, percent-encoded in the document); compared in one form, the
// link under the pointer is found among the page's links, and the address
// followed is the one a click goes to.
#pragma once

#include <QString>
#include <QUrl>

namespace sonavia::qt {

// `url` fully encoded, then with blanks and the characters beyond ASCII
// that show as themselves (accented letters, Greek, "€") decoded, so that
// the status bar and the address box read as the page's author wrote them.
// Other escapes stay, delimiters first among them; a host stays in its
// ASCII form.
QString LinkAddressText(const QUrl& url);

// The same for an address as the engine spells it; empty stays empty.
inline QString LinkAddressText(const QString& address) {
  return address.isEmpty() ? QString() : LinkAddressText(QUrl(address));
}

}  // namespace sonavia::qt
