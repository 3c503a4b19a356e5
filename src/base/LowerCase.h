#pragma once

// The one lower-casing rule: words are counted, searched and compared in lower case, Unicode's
// (as QString::toLower makes it) of their UTF-8 text. In ASCII that changes only A to Z, so plain
// ASCII is lowered byte by byte.

#include <QByteArray>
#include <QByteArrayView>

#include <string>

namespace orvanta {

// True when every byte is ASCII.
bool isAscii(QByteArrayView text);

QByteArray lowerCase(QByteArrayView utf8);
// The same into `lower`, whose storage is reused.
void lowerCase(QByteArrayView utf8, std::string &lower);

} // namespace orvanta
