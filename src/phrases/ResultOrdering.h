#pragma once

#include <QString>
#include <QStringList>

namespace orvanta {

// The results list orders rows by a text key: the frequency zero-padded to 11 digits, a
// space, the phrase. PhraseResults::sortForDisplay gives the same order without building keys.

// "5 the end" -> "00000000005 the end".
QString makeSortKey(const QString &frequencyAndPhrase);

// Ascending by code point.
void sortKeys(QStringList &keys);

struct DecodedSortKey {
    QString frequencyText; // without leading zeros
    QString displayPhrase; // with one leading space
};
DecodedSortKey decodeSortKey(const QString &key);

QString stripLeadingZeros(const QString &text);

// Compares by Unicode code point (UTF-16 code unit order puts U+E000..U+FFFF after
// supplementary characters; this does not).
int compareByCodePoint(QStringView a, QStringView b);

} // namespace orvanta
