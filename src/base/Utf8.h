#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace orvanta {

// Decodes UTF-8; invalid bytes become U+FFFD, and a U+FEFF stays a character like any other.
QString decodeUtf8(QByteArrayView utf8);

// The bytes as valid UTF-8: unchanged when they are, otherwise with every invalid byte
// replaced by U+FFFD.
QByteArray validUtf8(QByteArrayView bytes);

// The code point that starts `validUtf8` (not empty), and its length in bytes in `length`.
inline char32_t firstCodePoint(QByteArrayView validUtf8, qsizetype &length)
{
    const auto lead = static_cast<unsigned char>(validUtf8[0]);
    length = 1;
    if (lead < 0x80)
        return lead;
    const int following = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    char32_t c = lead & (0x3Fu >> following);
    while (length <= following && length < validUtf8.size() &&
           (static_cast<unsigned char>(validUtf8[length]) & 0xC0) == 0x80)
        c = (c << 6) | (static_cast<unsigned char>(validUtf8[length++]) & 0x3Fu);
    return c;
}

} // namespace orvanta
