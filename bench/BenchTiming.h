#pragma once

// What the benchmarks share: a wall-clock timer and a failure that ends the benchmark.

#include <QString>

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

} // namespace orvanta::bench
