#include "phrases/LengthList.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace orvanta {

namespace {

QStringList splitEntries(const QString &typed)
{
    if (typed.contains(QLatin1Char(',')))
        return typed.split(QLatin1Char(','));
    if (typed.contains(QLatin1Char(' ')))
        return typed.split(QLatin1Char(' '));
    return {typed};
}

QString trimSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

// A decimal number with an optional sign and fraction, rounded half to even. Numbers that do
// not fit a signed 16-bit length are treated like any other non-number.
std::optional<int> parseLength(const QString &entry)
{
    // ASCII digits only, and the whole entry: "$" alone would also accept a final line break.
    static const QRegularExpression number(
        QRegularExpression::anchoredPattern(QStringLiteral("[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)")));
    if (!number.match(entry).hasMatch())
        return std::nullopt;
    const double value = std::nearbyint(entry.toDouble());
    if (value < std::numeric_limits<qint16>::min() || value > kLongestPhraseLength)
        return std::nullopt;
    return int(value);
}

// "first-last" in ASCII digits, from 1 up to the longest length, as the command line takes it.
std::optional<std::pair<int, int>> parseRange(const QString &entry)
{
    static const QRegularExpression range(
        QRegularExpression::anchoredPattern(QStringLiteral("([0-9]+)-([0-9]+)")));
    const QRegularExpressionMatch match = range.match(entry);
    bool firstFits = false;
    bool lastFits = false;
    const int first = match.captured(1).toInt(&firstFits);
    const int last = match.captured(2).toInt(&lastFits);
    if (!match.hasMatch() || !firstFits || !lastFits || first < 1 || last < first ||
        last > kLongestPhraseLength)
        return std::nullopt;
    return std::pair(first, last);
}

// The typed entries, each without the blanks around it; empty ones are left out.
QStringList typedEntries(const QString &typed)
{
    QStringList entries;
    for (const QString &rawEntry : splitEntries(typed)) {
        if (const QString entry = trimSpaces(rawEntry); !entry.isEmpty())
            entries << entry;
    }
    return entries;
}

} // namespace

std::vector<int> buildLengthList(const ChosenLengths &chosen, const QString &typed)
{
    std::vector<int> lengths;
    for (int i = 0; i < kListedLengthCount; ++i) {
        if (chosen[size_t(i)])
            lengths.push_back(i + 2);
    }
    for (const QString &entry : typedEntries(typed)) {
        if (const auto length = parseLength(entry)) {
            lengths.push_back(*length);
        } else if (const auto range = parseRange(entry)) {
            for (int length = range->first; length <= range->second; ++length)
                lengths.push_back(length);
        }
    }
    return lengths;
}

QStringList unreadLengthEntries(const QString &typed)
{
    QStringList unread;
    for (const QString &entry : typedEntries(typed)) {
        const std::optional<int> length = parseLength(entry);
        if (length ? *length < 1 : !parseRange(entry))
            unread << entry;
    }
    return unread;
}

Result<std::vector<int>> parseLengthRanges(const QString &text)
{
    static const QRegularExpression entryPattern(
        QRegularExpression::anchoredPattern(QStringLiteral("([0-9]+)(?:-([0-9]+))?")));
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    const QStringList entries = text.split(separators, Qt::SkipEmptyParts);
    if (entries.isEmpty())
        return Failure{QStringLiteral("no phrase length given")};
    std::vector<int> lengths;
    for (const QString &entry : entries) {
        const QRegularExpressionMatch match = entryPattern.match(entry);
        bool firstFits = true;
        bool lastFits = true;
        const int first = match.captured(1).toInt(&firstFits);
        const int last = match.hasCaptured(2) ? match.captured(2).toInt(&lastFits) : first;
        if (match.hasMatch() &&
            (!firstFits || !lastFits || std::max(first, last) > kLongestPhraseLength))
            return Failure{QStringLiteral("\"%1\" is longer than the longest phrase length, %2")
                               .arg(entry)
                               .arg(kLongestPhraseLength)};
        if (!match.hasMatch() || first < 1 || last < first)
            return Failure{QStringLiteral("\"%1\" is not a phrase length or a range of them "
                                          "(such as 4 or 2-5)")
                               .arg(entry)};
        for (int length = first; length <= last; ++length)
            lengths.push_back(length);
    }
    return distinctCountableLengths(lengths);
}

std::vector<int> distinctCountableLengths(const std::vector<int> &lengths)
{
    std::vector<int> distinct;
    for (int length : lengths) {
        if (length >= 1 && std::find(distinct.begin(), distinct.end(), length) == distinct.end())
            distinct.push_back(length);
    }
    return distinct;
}

} // namespace orvanta
