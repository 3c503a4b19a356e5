#pragma once

// What the benchmarks share: a wall-clock timer, a failure that ends the benchmark, and the PDFs
// of a folder.

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <chrono>
#include <stdexcept>

namespace orvanta::bench {

// Seconds of wall-clock time `body` takes.
template <typename Body> double secondsOf(Body &&body)
{
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

[[noreturn]] inline void fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

// The PDFs directly in `folder`, by name; fails with fewer than `minimum`.
inline QStringList pdfsIn(const QString &folder, qsizetype minimum = 1)
{
    QStringList paths;
    const auto entries =
        QDir(folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    for (const QFileInfo &entry : entries)
        paths << entry.absoluteFilePath();
    if (paths.size() < minimum)
        fail(QStringLiteral("fewer than %1 PDFs in %2").arg(minimum).arg(folder));
    return paths;
}

} // namespace orvanta::bench
