#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string_view>

// Shared by the fuzz targets: a failed check prints what differed and aborts, which libFuzzer
// reports as a crash and saves the input.
namespace orvanta::fuzz {

[[noreturn]] inline void fail(std::string_view what, const QString &detail = {})
{
    std::fprintf(stderr, "check failed: %.*s %s\n", int(what.size()), what.data(),
                 detail.toUtf8().constData());
    std::abort();
}

inline void check(bool condition, std::string_view what, const QString &detail = {})
{
    if (!condition)
        fail(what, detail);
}

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

} // namespace orvanta::fuzz
