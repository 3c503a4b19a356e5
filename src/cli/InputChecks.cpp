#include "cli/InputChecks.h"

#include <QFile>

#include <optional>
#include <sys/stat.h>

namespace orvanta {

namespace {

std::optional<struct stat> statusOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return info;
}

} // namespace

bool isStreamedInput(const QString &path)
{
    if (path == QLatin1String("-"))
        return true;
    const std::optional<struct stat> info = statusOf(path);
    return info && (S_ISFIFO(info->st_mode) || S_ISCHR(info->st_mode));
}

QString inputReplacedBy(const QString &output, const QStringList &inputs)
{
    const std::optional<struct stat> written = output.isEmpty() ? std::nullopt : statusOf(output);
    if (!written || !S_ISREG(written->st_mode))
        return {}; // a new file replaces nothing; a FIFO or device is written as it is
    for (const QString &input : inputs) {
        if (input == QLatin1String("-"))
            continue;
        const std::optional<struct stat> read = statusOf(input);
        if (read && read->st_dev == written->st_dev && read->st_ino == written->st_ino)
            return input;
    }
    return {};
}

QStringList streamedInputs(const QStringList &inputs)
{
    QStringList streamed;
    for (const QString &input : inputs) {
        if (isStreamedInput(input))
            streamed << input;
    }
    return streamed;
}

} // namespace orvanta
