#pragma once

#include "phrases/DocumentOverlap.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <vector>

namespace orvanta {

using OverlapFiles = std::vector<std::vector<QByteArray>>; // the lines of each file

inline void PrintTo(const OverlapPair &pair, std::ostream *out)
{
    *out << '{' << pair.fileA << ' ' << pair.fileB << ": " << pair.sharedA << '/' << pair.wordsA
         << ", " << pair.sharedB << '/' << pair.wordsB << '}';
}

// The overlap of files as a deliberately plain search finds it, with positions numbered as
// PhraseTable numbers them: every word, and one line break after each line that has words.
class ReferenceOverlap {
public:
    struct Stretch {
        QString phrase;
        std::uint32_t start;
    };

    ReferenceOverlap(const OverlapFiles &files, std::uint32_t stretchWords)
        : m_length(stretchWords)
    {
        std::uint32_t position = 0;
        for (const std::vector<QByteArray> &lines : files) {
            m_stretches.emplace_back();
            m_words.push_back(0);
            for (const QByteArray &line : lines) {
                QString text = QString::fromUtf8(line);
                text.replace(QLatin1Char('\t'), QLatin1Char(' '))
                    .replace(QLatin1Char('\r'), QLatin1Char(' '));
                const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                for (qsizetype start = 0; start + stretchWords <= words.size(); ++start) {
                    const QString phrase =
                        words.mid(start, stretchWords).join(QLatin1Char(' ')).toLower();
                    m_stretches.back().push_back({phrase, position + std::uint32_t(start)});
                }
                m_words.back() += std::uint32_t(words.size());
                position += words.isEmpty() ? 0 : std::uint32_t(words.size()) + 1;
            }
        }
    }

    // The positions of `a` that lie in at least one stretch of `a` whose phrase occurs in `b`
    // and in no more than `percent` percent of the files.
    std::set<std::uint32_t> sharedPositions(std::size_t a, std::size_t b, double percent) const
    {
        std::set<std::uint32_t> shared;
        for (const Stretch &stretch : m_stretches[a]) {
            if (!occursIn(b, stretch.phrase) || tooCommon(stretch.phrase, percent))
                continue;
            for (std::uint32_t w = 0; w < m_length; ++w)
                shared.insert(stretch.start + w);
        }
        return shared;
    }

    // Every pair with shared words, ranked: larger share, then smaller share, both highest
    // first, then by the files' order.
    std::vector<OverlapPair> pairs(double percent) const
    {
        std::vector<OverlapPair> found;
        for (std::uint32_t a = 0; a < m_words.size(); ++a) {
            for (std::uint32_t b = a + 1; b < m_words.size(); ++b) {
                const auto sharedA = std::uint32_t(sharedPositions(a, b, percent).size());
                const auto sharedB = std::uint32_t(sharedPositions(b, a, percent).size());
                if (sharedA > 0)
                    found.push_back({a, b, m_words[a], m_words[b], sharedA, sharedB});
            }
        }
        std::sort(found.begin(), found.end(), [](const OverlapPair &x, const OverlapPair &y) {
            const long double xa = share(x.sharedA, x.wordsA), xb = share(x.sharedB, x.wordsB);
            const long double ya = share(y.sharedA, y.wordsA), yb = share(y.sharedB, y.wordsB);
            if (std::max(xa, xb) != std::max(ya, yb))
                return std::max(xa, xb) > std::max(ya, yb);
            if (std::min(xa, xb) != std::min(ya, yb))
                return std::min(xa, xb) > std::min(ya, yb);
            return std::pair(x.fileA, x.fileB) < std::pair(y.fileA, y.fileB);
        });
        return found;
    }

    // The shared positions of `a` with `b` as runs of consecutive positions.
    std::vector<WordRange> ranges(std::size_t a, std::size_t b, double percent) const
    {
        std::vector<WordRange> runs;
        for (const std::uint32_t position : sharedPositions(a, b, percent)) {
            if (!runs.empty() && runs.back().end == position)
                ++runs.back().end;
            else
                runs.push_back({position, position + 1});
        }
        return runs;
    }

private:
    static long double share(std::uint32_t shared, std::uint32_t words)
    {
        return words == 0 ? 0 : static_cast<long double>(shared) / words;
    }

    bool occursIn(std::size_t file, const QString &phrase) const
    {
        return std::any_of(m_stretches[file].begin(), m_stretches[file].end(),
                           [&](const Stretch &stretch) { return stretch.phrase == phrase; });
    }

    bool tooCommon(const QString &phrase, double percent) const
    {
        std::size_t files = 0;
        for (std::size_t file = 0; file < m_stretches.size(); ++file)
            files += occursIn(file, phrase) ? 1 : 0;
        return double(files) * 100.0 > percent * double(m_stretches.size());
    }

    std::uint32_t m_length;
    std::vector<std::vector<Stretch>> m_stretches; // of each file, in text order
    std::vector<std::uint32_t> m_words;
};

} // namespace orvanta
