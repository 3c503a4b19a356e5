// The length list built from ticked boxes and any typed text, against a plain parser.
#include "FuzzSupport.h"
#include "phrases/LengthList.h"

#include <QStringList>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <optional>

using namespace orvanta;
using namespace orvanta::fuzz;

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// [+-] digits [. digits] | [+-] . digits, ASCII digits only.
std::optional<int> plainNumber(const QString &entry)
{
    qsizetype i = 0;
    if (i < entry.size() && (entry[i] == QLatin1Char('+') || entry[i] == QLatin1Char('-')))
        ++i;
    const qsizetype integerStart = i;
    while (i < entry.size() && isAsciiDigit(entry[i]))
        ++i;
    const bool integerDigits = i > integerStart;
    bool fractionDigits = false;
    if (i < entry.size() && entry[i] == QLatin1Char('.')) {
        ++i;
        const qsizetype fractionStart = i;
        while (i < entry.size() && isAsciiDigit(entry[i]))
            ++i;
        fractionDigits = i > fractionStart;
    }
    if (i != entry.size() || (!integerDigits && !fractionDigits))
        return std::nullopt;
    const double value = std::nearbyint(std::strtod(entry.toLatin1().constData(), nullptr));
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return int(value);
}

// digits-digits, 1 <= first <= last <= 32767, ASCII digits only.
std::optional<std::pair<int, int>> plainRange(const QString &entry)
{
    const qsizetype dash = entry.indexOf(QLatin1Char('-'));
    if (dash <= 0 || dash + 1 >= entry.size())
        return std::nullopt;
    const QString first = entry.left(dash);
    const QString last = entry.mid(dash + 1);
    if (!std::all_of(first.begin(), first.end(), isAsciiDigit) ||
        !std::all_of(last.begin(), last.end(), isAsciiDigit))
        return std::nullopt;
    bool firstFits = false;
    bool lastFits = false;
    const int from = first.toInt(&firstFits);
    const int to = last.toInt(&lastFits);
    if (!firstFits || !lastFits || from < 1 || to < from || to > 32767)
        return std::nullopt;
    return std::pair(from, to);
}

std::vector<int> plainLengthList(const ChosenLengths &ticked, const QString &typed)
{
    std::vector<int> lengths;
    for (int i = 0; i < kListedLengthCount; ++i) {
        if (ticked[size_t(i)])
            lengths.push_back(i + 2);
    }
    const QChar separator = typed.contains(QLatin1Char(',')) ? QLatin1Char(',') : QLatin1Char(' ');
    for (QString entry : typed.split(separator)) {
        while (entry.startsWith(QLatin1Char(' ')))
            entry.remove(0, 1);
        while (entry.endsWith(QLatin1Char(' ')))
            entry.chop(1);
        if (const auto length = plainNumber(entry)) {
            lengths.push_back(*length);
        } else if (const auto range = plainRange(entry)) {
            for (int length = range->first; length <= range->second; ++length)
                lengths.push_back(length);
        }
    }
    return lengths;
}

QString describe(const std::vector<int> &lengths)
{
    QStringList texts;
    for (int length : lengths)
        texts += QString::number(length);
    return texts.join(QLatin1Char(','));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    ChosenLengths ticked{};
    for (bool &box : ticked)
        box = input.ConsumeBool();
    const QString typed = QString::fromStdString(input.ConsumeRemainingBytesAsString());

    const std::vector<int> lengths = buildLengthList(ticked, typed);
    const std::vector<int> expected = plainLengthList(ticked, typed);
    if (lengths != expected)
        fail("length list",
             typed + QStringLiteral(": ") + describe(lengths) + " != " + describe(expected));

    const QStringList unread = unreadLengthEntries(typed);
    for (const QString &entry : unread) {
        const std::optional<int> number = plainNumber(entry);
        check(number ? *number < 1 : !plainRange(entry), "an unread entry gives no length");
    }

    const std::vector<int> distinct = distinctCountableLengths(lengths);
    for (size_t i = 0; i < distinct.size(); ++i) {
        check(distinct[i] >= 1, "countable lengths are positive");
        check(std::count(distinct.begin(), distinct.end(), distinct[i]) == 1, "each length once");
        check(std::find(lengths.begin(), lengths.end(), distinct[i]) != lengths.end(),
              "countable lengths come from the list");
    }
    return 0;
}
