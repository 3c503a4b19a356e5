#pragma once

// Plain references for the corpus measures, each following its definition word for word: split
// every line, lower-case, count in maps, and sum over every file.

#include "phrases/CorpusMeasures.h"
#include "phrases/PhrasePositions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace orvanta {

// Each file's lines.
using FileLines = std::vector<std::vector<QByteArray>>;

inline QStringList referenceWordsOf(const QByteArray &line)
{
    QString text = QString::fromUtf8(line);
    text.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

inline CorpusSize referenceCorpusSize(const FileLines &files)
{
    CorpusSize size;
    std::set<QString> distinct;
    for (const auto &lines : files) {
        std::uint64_t words = 0;
        for (const QByteArray &line : lines) {
            for (const QString &word : referenceWordsOf(line)) {
                distinct.insert(word.toLower());
                ++words;
            }
        }
        size.wordsByFile.push_back(words);
        size.words += words;
    }
    size.files = files.size();
    size.distinctWords = distinct.size();
    return size;
}

// For every phrase of `length` words seen at least twice in all files: its count in each file
// it occurs in.
using ReferenceFileCounts = std::map<QString, std::map<std::uint32_t, std::uint32_t>>;

inline ReferenceFileCounts referenceFileCounts(const FileLines &files, int length)
{
    ReferenceFileCounts counts;
    std::map<QString, int> totals;
    for (std::uint32_t file = 0; file < files.size(); ++file) {
        for (const QByteArray &line : files[file]) {
            const QStringList words = referenceWordsOf(line);
            for (qsizetype start = 0; start + length <= words.size(); ++start) {
                const QString phrase = words.mid(start, length).join(QLatin1Char(' ')).toLower();
                ++counts[phrase][file];
                ++totals[phrase];
            }
        }
    }
    std::erase_if(counts, [&](const auto &entry) { return totals[entry.first] < 2; });
    return counts;
}

inline double referencePerMillion(double frequency, double corpusWords)
{
    return frequency * 1000000 / corpusWords;
}

inline double referenceDeviation(const std::map<std::uint32_t, std::uint32_t> &counts,
                                 const std::vector<std::uint64_t> &wordsByFile)
{
    double corpusWords = 0;
    for (const std::uint64_t words : wordsByFile)
        corpusWords += double(words);
    double frequency = 0;
    for (const auto &[file, count] : counts)
        frequency += count;
    double sum = 0;
    for (std::uint32_t file = 0; file < wordsByFile.size(); ++file) {
        const double s = double(wordsByFile[file]) / corpusWords;
        const double v = counts.contains(file) ? counts.at(file) / frequency : 0.0;
        sum += std::fabs(v - s);
    }
    return 0.5 * sum;
}

inline Keyness referenceKeyness(double a, double b, double na, double nb)
{
    const double e1 = na * (a + b) / (na + nb);
    const double e2 = nb * (a + b) / (na + nb);
    double logLikelihood =
        2 * ((a == 0 ? 0 : a * std::log(a / e1)) + (b == 0 ? 0 : b * std::log(b / e2)));
    if (a / na < b / nb)
        logLikelihood = -logLikelihood;
    const double logRatio = std::log2(((a == 0 ? 0.5 : a) / na) / ((b == 0 ? 0.5 : b) / nb));
    return {logLikelihood, logRatio};
}

// Every occurrence of a lower-case phrase: its file, the words of the file before it, and that
// over the file's words.
inline std::vector<PhrasePosition> referencePositions(const FileLines &files, const QString &phrase)
{
    const qsizetype length = phrase.split(QLatin1Char(' ')).size();
    const CorpusSize size = referenceCorpusSize(files);
    std::vector<PhrasePosition> found;
    for (std::uint32_t file = 0; file < files.size(); ++file) {
        std::uint32_t wordsBefore = 0;
        for (const QByteArray &line : files[file]) {
            const QStringList words = referenceWordsOf(line);
            for (qsizetype start = 0; start + length <= words.size(); ++start) {
                if (words.mid(start, length).join(QLatin1Char(' ')).toLower() != phrase)
                    continue;
                const std::uint32_t word = wordsBefore + std::uint32_t(start);
                found.push_back({file, word, double(word) / double(size.wordsByFile[file])});
            }
            wordsBefore += std::uint32_t(words.size());
        }
    }
    return found;
}

} // namespace orvanta
