#include "phrases/ResultOrdering.h"

#include <algorithm>

namespace orvanta {

QString makeSortKey(const QString &frequencyAndPhrase)
{
    const qsizetype space = frequencyAndPhrase.indexOf(QLatin1Char(' '));
    const QString frequency = QString::number(frequencyAndPhrase.left(space).toLongLong());
    const QString remainder = space < 0 ? QString() : frequencyAndPhrase.mid(space);
    return frequency.rightJustified(11, QLatin1Char('0')) + remainder;
}

int compareByCodePoint(QStringView a, QStringView b)
{
    // Move surrogates above the rest of the BMP so code units compare like code points.
    const auto rank = [](char16_t unit) -> int {
        if (unit >= 0xE000)
            return unit - 0x800;
        if (unit >= 0xD800)
            return unit + 0x2000;
        return unit;
    };
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const int difference = rank(a[i].unicode()) - rank(b[i].unicode());
        if (difference != 0)
            return difference;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

void sortKeys(QStringList &keys)
{
    std::sort(keys.begin(), keys.end(),
              [](const QString &a, const QString &b) { return compareByCodePoint(a, b) < 0; });
}

QString stripLeadingZeros(const QString &text)
{
    qsizetype first = 0;
    while (first < text.size() && text.at(first) == QLatin1Char('0'))
        ++first;
    return text.mid(first);
}

DecodedSortKey decodeSortKey(const QString &key)
{
    const QString stripped = stripLeadingZeros(key);
    const qsizetype space = stripped.indexOf(QLatin1Char(' '));
    if (space < 0)
        return {stripped, QString()};
    return {stripped.left(space), stripped.mid(space)};
}

} // namespace orvanta
