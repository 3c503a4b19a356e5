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

} // namespace orvanta
