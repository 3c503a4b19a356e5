#include "app/RunSummary.h"

#include <QLocale>

#include <algorithm>

namespace orvanta {

namespace {

QString counted(std::uint64_t count, const char *one, const char *many)
{
    const QString number = QLocale(QLocale::English).toString(qulonglong(count));
    return number + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

QString duration(std::int64_t milliseconds)
{
    if (milliseconds < 60'000)
        return QStringLiteral("%1 s").arg(double(milliseconds) / 1000, 0, 'f', 1);
    const std::int64_t seconds = (milliseconds + 500) / 1000;
    return QStringLiteral("%1 min %2 s")
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString runSummaryText(const RunSummary &summary)
{
    return QStringLiteral("%1, %2, %3 in %4")
        .arg(counted(summary.files, "file counted", "files counted"),
             counted(summary.words, "word", "words"),
             counted(summary.phrases, "phrase listed", "phrases listed"),
             duration(summary.milliseconds));
}

QSize firstStartSize(QSize designed, QSize available)
{
    const int height = std::max(available.height() * 2 / 3, designed.height());
    return QSize(designed.width(), height).boundedTo(available);
}

} // namespace orvanta
