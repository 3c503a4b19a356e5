#pragma once

#include "phrases/LengthList.h"
#include "phrases/PhraseResults.h"

#include <QByteArray>
#include <QStringList>

#include <algorithm>
#include <map>
#include <vector>

namespace orvanta {

// A deliberately plain counter: split each line, lower-case, count every window in a map.
inline std::vector<PhraseRow> referenceCount(const std::vector<QByteArray> &lines,
                                             const std::vector<int> &lengths)
{
    std::map<std::pair<QString, int>, int> counts;
    for (const QByteArray &line : lines) {
        QString text = QString::fromUtf8(line);
        text.replace(QLatin1Char('\t'), QLatin1Char(' '))
            .replace(QLatin1Char('\r'), QLatin1Char(' '));
        const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (int n : distinctCountableLengths(lengths)) {
            for (qsizetype start = 0; start + n <= words.size(); ++start)
                ++counts[{words.mid(start, n).join(QLatin1Char(' ')).toLower(), n}];
        }
    }
    std::vector<PhraseRow> rows;
    for (const auto &[key, frequency] : counts) {
        if (frequency >= 2)
            rows.push_back({key.first, key.second, frequency});
    }
    std::sort(rows.begin(), rows.end(), [](const PhraseRow &a, const PhraseRow &b) {
        if (a.frequency != b.frequency)
            return a.frequency < b.frequency;
        return a.phrase.toUtf8() < b.phrase.toUtf8(); // UTF-8 byte order is code point order
    });
    return rows;
}

} // namespace orvanta
