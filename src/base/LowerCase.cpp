#include "base/LowerCase.h"

#include "base/Utf8.h"

#include <QString>

#include <cstdint>
#include <cstring>

namespace orvanta {

namespace {

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

QByteArray lowerUnicode(QByteArrayView utf8)
{
    return decodeUtf8(utf8).toLower().toUtf8();
}

} // namespace

bool isAscii(QByteArrayView text)
{
    // Eight bytes at a time, without an early exit: most lines are ASCII to their end anyway.
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    std::uint64_t all = 0;
    qsizetype i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, text.data() + i, sizeof eight);
        all |= eight;
    }
    for (; i < text.size(); ++i)
        all |= static_cast<unsigned char>(text[i]);
    return (all & kHighBits) == 0;
}

QByteArray lowerCase(QByteArrayView utf8)
{
    // QByteArray lowers ASCII letters only, as the rule wants for ASCII text.
    return isAscii(utf8) ? utf8.toByteArray().toLower() : lowerUnicode(utf8);
}

void lowerCase(QByteArrayView utf8, std::string &lower)
{
    if (!isAscii(utf8)) {
        const QByteArray bytes = lowerUnicode(utf8);
        lower.assign(bytes.constData(), size_t(bytes.size()));
        return;
    }
    lower.assign(utf8.data(), size_t(utf8.size()));
    for (char &c : lower)
        c = lowerAscii(c);
}

} // namespace orvanta
