#include "base/Utf8.h"

#include <QStringDecoder>

namespace orvanta {

QString decodeUtf8(QByteArrayView utf8)
{
    // Stateless: a sequence cut short at the end becomes U+FFFD instead of being held back for
    // more input that never comes.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                       QStringConverter::Flag::Stateless);
    return decoder.decode(utf8);
}

QByteArray validUtf8(QByteArrayView bytes)
{
    if (bytes.isValidUtf8())
        return bytes.toByteArray();
    return decodeUtf8(bytes).toUtf8();
}

} // namespace orvanta
