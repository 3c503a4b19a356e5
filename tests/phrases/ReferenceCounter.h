#pragma once

#include "phrases/LengthList.h"
#include "phrases/PhraseResults.h"

#include <QByteArray>
#include <QStringList>

#include <algorithm>
#include <map>
#include <set>
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

namespace orvanta {

// A row with the number of files its phrase occurs in.
struct FileCountedRow {
    QString phrase;
    int frequency = 0;
    int files = 0;
    bool operator==(const FileCountedRow &) const = default;
    bool operator<(const FileCountedRow &other) const { return phrase < other.phrase; }
};

// The plain counter over several files: each phrase's count and the files it occurs in.
inline std::vector<FileCountedRow>
referenceCountByFile(const std::vector<std::vector<QByteArray>> &files, int length)
{
    std::map<QString, std::pair<int, std::set<size_t>>> counts;
    for (size_t file = 0; file < files.size(); ++file) {
        for (const QByteArray &line : files[file]) {
            QString text = QString::fromUtf8(line);
            text.replace(QLatin1Char('\t'), QLatin1Char(' '))
                .replace(QLatin1Char('\r'), QLatin1Char(' '));
            const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (qsizetype start = 0; start + length <= words.size(); ++start) {
                auto &entry = counts[words.mid(start, length).join(QLatin1Char(' ')).toLower()];
                ++entry.first;
                entry.second.insert(file);
            }
        }
    }
    std::vector<FileCountedRow> rows;
    for (const auto &[phrase, count] : counts) {
        if (count.first >= 2)
            rows.push_back({phrase, count.first, int(count.second.size())});
    }
    return rows;
}

} // namespace orvanta
