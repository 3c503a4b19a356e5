#include "phrases/CorpusMeasures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orvanta {

double perMillion(std::uint64_t frequency, std::uint64_t corpusWords)
{
    return corpusWords == 0 ? 0.0 : double(frequency) * 1e6 / double(corpusWords);
}

// With f the phrase's frequency, N the corpus words, c and w a file's count and words:
// |c/f - w/N| = |cN - wf| / fN, so the sum is taken in integers and divided once. A file without
// the phrase adds wf: all of them together (N - W) f, W being the words of the files with it.
double deviationOfProportions(std::span<const FileCount> counts, const CorpusSize &corpusSize)
{
    using Wide = unsigned __int128;
    const std::vector<std::uint64_t> &wordsByFile = corpusSize.wordsByFile;
    const std::uint64_t corpus = corpusSize.words;
    std::uint64_t frequency = 0;
    std::uint64_t wordsWithPhrase = 0;
    for (const FileCount &count : counts) {
        frequency += count.frequency;
        wordsWithPhrase += wordsByFile[count.file];
    }
    if (frequency == 0 || corpus == 0)
        return 0.0;
    Wide sum = Wide(corpus - wordsWithPhrase) * frequency;
    for (const FileCount &count : counts) {
        const Wide occurrences = Wide(count.frequency) * corpus;
        const Wide expected = Wide(wordsByFile[count.file]) * frequency;
        sum += occurrences > expected ? occurrences - expected : expected - occurrences;
    }
    return double(sum) / (2.0 * double(Wide(frequency) * corpus));
}

namespace {

// a ln(a / e), 0 for a zero count.
double likelihoodTerm(std::uint64_t count, double expected)
{
    return count == 0 ? 0.0 : double(count) * std::log(double(count) / expected);
}

double orHalf(std::uint64_t count)
{
    return count == 0 ? 0.5 : double(count);
}

} // namespace

Keyness keynessOf(std::uint64_t target, std::uint64_t reference, std::uint64_t targetWords,
                  std::uint64_t referenceWords)
{
    using Wide = unsigned __int128;
    const double both = double(target + reference);
    const double allWords = double(targetWords) + double(referenceWords);
    const double expectedTarget = double(targetWords) * both / allWords;
    const double expectedReference = double(referenceWords) * both / allWords;
    // The statistic is never below 0; rounding can leave a trace below when the rates are equal.
    const double magnitude = std::max(0.0, 2.0 * (likelihoodTerm(target, expectedTarget) +
                                                  likelihoodTerm(reference, expectedReference)));
    const bool rarerInTarget = Wide(target) * referenceWords < Wide(reference) * targetWords;
    return {rarerInTarget ? -magnitude : magnitude,
            std::log2((orHalf(target) / double(targetWords)) /
                      (orHalf(reference) / double(referenceWords)))};
}

std::string fourDecimals(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 1e14) {
        char text[64];
        std::snprintf(text, sizeof text, "%.4f", value);
        return text;
    }
    const long long tenThousandths = std::llround(value * 1e4);
    const long long whole = std::llabs(tenThousandths) / 10000;
    const std::string fraction = std::to_string(std::llabs(tenThousandths) % 10000);
    return (tenThousandths < 0 ? "-" : "") + std::to_string(whole) + '.' +
           std::string(4 - fraction.size(), '0') + fraction;
}

} // namespace orvanta
