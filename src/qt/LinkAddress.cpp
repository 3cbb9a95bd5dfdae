#include "qt/LinkAddress.h"

#include <QByteArray>

namespace sonavia::qt {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The byte of the escape at `at`, or -1 when there is none there.
int EscapedByte(const QByteArray& text, qsizetype at) {
  if (at + 2 >= text.size() || text[at] != '%') return -1;
  const int high = HexValue(text[at + 1]);
  const int low = HexValue(text[at + 2]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// How many bytes the UTF-8 sequence that begins with `lead` has; 0 when it
// cannot begin one.
int SequenceLength(int lead) {
  if (lead < 0xC2) return 0;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return lead < 0xF5 ? 4 : 0;
}

// A decoded character shown in place of its escapes: a blank, or a
// character beyond ASCII that shows as itself (no control, blank, format
// character or soft hyphen, which would hide in the address).
bool ShownDecoded(const QString& character) {
  if (character == QStringLiteral(" ")) return true;
  const QList<uint> codes = character.toUcs4();
  if (codes.size() != 1 || codes.front() < 0x80 || codes.front() == 0xAD) return false;
  const uint c = codes.front();
  return QChar::isPrint(c) && !QChar::isSpace(c) && QChar::category(c) != QChar::Other_Format;
}

}  // namespace

QString LinkAddressText(const QUrl& url) {
  const QByteArray encoded = url.toEncoded();
  QString text;
  qsizetype i = 0;
  while (i < encoded.size()) {
    const int lead = EscapedByte(encoded, i);
    if (lead < 0) {
      text += QLatin1Char(encoded[i]);
      ++i;
      continue;
    }
    // One character's escapes: one for a blank, two to four for a letter.
    const int length = lead == 0x20 ? 1 : SequenceLength(lead);
    QByteArray bytes(1, static_cast<char>(lead));
    for (int k = 1; k < length; ++k) {
      const int next = EscapedByte(encoded, i + 3 * k);
      if (next < 0x80 || next > 0xBF) break;
      bytes += static_cast<char>(next);
    }
    const QString character = QString::fromUtf8(bytes);
    if (length > 0 && bytes.size() == length && ShownDecoded(character)) {
      text += character;
      i += 3 * length;
    } else {
      text += QLatin1String(encoded.mid(i, 3));
      i += 3;
    }
  }
  return text;
}

}  // namespace sonavia::qt
