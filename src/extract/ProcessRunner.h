#pragma once

#include "base/Descriptor.h"
#include "base/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <stop_token>

#include <sys/types.h>

namespace orvanta {

// Codes below zero are the runner's own: 0x80040000 plus an error number, read as a signed
// 32-bit value. Exit codes of the child itself are 0..255.
inline constexpr int kProcessCodeBase = int(0x80040000u - 0x100000000ull);
// The program does not exist (error 53, "File not found").
inline constexpr int kProcessNotFound = kProcessCodeBase + 53; // -2147221451
// The program exists but cannot be executed, such as a file without execute permission or a
// folder (error 70, "Permission denied").
inline constexpr int kProcessNotExecutable = kProcessCodeBase + 70; // -2147221434
// Any other failure to start, such as a file that is not a program (error 75, "Path/File
// access error").
inline constexpr int kProcessStartFailed = kProcessCodeBase + 75; // -2147221429
// The child was ended by a signal that we did not send (error 51, "Internal error").
inline constexpr int kProcessCrashed = kProcessCodeBase + 51; // -2147221453
// A stop was requested and the child was killed, or never started (error 18, "User
// interrupt occurred").
inline constexpr int kProcessCancelled = kProcessCodeBase + 18; // -2147221486
// The child ran past its time limit and was killed (error 286, "Timeout occurred").
inline constexpr int kProcessTimedOut = kProcessCodeBase + 286; // -2147221218
// The child ran out of the memory it was allowed and died of it (error 7, "Out of memory").
inline constexpr int kProcessOutOfMemory = kProcessCodeBase + 7; // -2147221497

// At most this much of the child's error output is kept; the rest is read and dropped, so a
// child that prints without end cannot fill our memory.
inline constexpr qsizetype kErrorHeadBytes = 4096;

// Where the child's output goes. Neither stream ever reaches the user's terminal.
struct ProcessStreams {
    // Called with each piece of standard output as it arrives. Returning false stops the
    // child (it is killed and reaped) and the run counts as cancelled.
    std::function<bool(QByteArrayView chunk)> onOutput;
    // Receives the first kErrorHeadBytes of standard error.
    QByteArray *errorHead = nullptr;
};

// How long a child may run and how much memory (address space) it may take; 0 is no limit.
struct ProcessLimits {
    std::chrono::milliseconds time{0};
    qint64 memoryBytes = 0;
};

// True when a child that died of a signal said it ran out of memory (as poppler's and the C++
// library's last words do).
bool soundsOutOfMemory(QByteArrayView errorHead);

// Runs the program with exactly these arguments (no shell is involved, so every byte arrives as
// given), standard input from /dev/null, and waits for it. A program without "/" is looked up on
// PATH. Works on any thread; no event loop is needed. The child dies with the thread that
// started it, even when this process is killed. Returns the child's exit code or one of the
// codes above. When the stop token is triggered, from any thread, or the time limit passes, the
// child is killed and reaped before this returns.
int runProcess(const QString &program, const QStringList &arguments, std::stop_token stop = {},
               const ProcessStreams &streams = {}, const ProcessLimits &limits = {});

// A child that keeps running: what is written to `input` is its standard input (a socket, so a
// child that died gives a failed write, not a signal), its standard output arrives on `output`,
// its error output goes nowhere.
struct StartedProcess {
    pid_t pid = -1;
    Descriptor input;
    Descriptor output;
};

// Starts the program (an absolute path) with these arguments. The child dies with the thread
// that started it, even when this process is killed; whoever started it reaps it.
Result<StartedProcess> startProcess(const QString &program, const QStringList &arguments);

} // namespace orvanta
