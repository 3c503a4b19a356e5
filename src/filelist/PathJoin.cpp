#include "filelist/PathJoin.h"

namespace orvanta {

namespace {

// Every pair of adjacent separators becomes one, left to right, pairs never overlapping.
QString halvePairs(QStringView text, QChar separator)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        result.append(text[i]);
        if (text[i] == separator && i + 1 < text.size() && text[i + 1] == separator)
            ++i;
    }
    return result;
}

qsizetype leadingRunLength(QStringView text, QChar separator)
{
    qsizetype length = 0;
    while (length < text.size() && text[length] == separator)
        ++length;
    return length;
}

// A leading run of separators (of any length) becomes `leadingCount` separators; the rest of the
// path has its pairs halved.
QString collapse(const QString &path, QChar separator, qsizetype leadingCount)
{
    const qsizetype run = leadingRunLength(path, separator);
    if (run == 0)
        return halvePairs(path, separator);
    return QString(leadingCount, separator) + halvePairs(QStringView(path).mid(run), separator);
}

} // namespace

QString collapseSlashes(const QString &path)
{
    return collapse(path, QLatin1Char('/'), 1);
}

} // namespace orvanta
