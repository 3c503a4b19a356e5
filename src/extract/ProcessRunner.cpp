#include "extract/ProcessRunner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <atomic>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta {

namespace {

// QProcess only says that the start failed; the file itself tells why.
int startFailureCode(const QString &program)
{
    const QString path =
        program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return kProcessNotFound;
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        return kProcessNotFound;
    if (S_ISDIR(info.st_mode) || ::access(native.constData(), X_OK) != 0)
        return kProcessNotExecutable;
    return kProcessStartFailed;
}

int outcomeCode(const QProcess &process, const QString &program, bool cancelled)
{
    if (cancelled)
        return kProcessCancelled;
    if (process.error() == QProcess::FailedToStart)
        return startFailureCode(program);
    if (process.exitStatus() == QProcess::CrashExit)
        return kProcessCrashed;
    return process.exitCode();
}

} // namespace

int runProcessAndWait(const QString &program, const QStringList &arguments, std::stop_token stop,
                      ProcessOutput *output)
{
    if (stop.stop_requested())
        return kProcessCancelled;
    if (!QCoreApplication::instance())
        return kProcessStartFailed; // no event loop could run

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());

    QEventLoop loop;
    bool done = false;
    const auto finish = [&] {
        done = true;
        loop.quit();
    };
    QObject::connect(&process, &QProcess::finished, &loop, finish);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish();
    });

    // The request may come from any thread; the kill runs on this one, in the loop below. The
    // callback is declared after the process, so it is gone before the process is.
    std::atomic<bool> cancelled = false;
    const std::stop_callback onStop(stop, [&] {
        cancelled = true;
        QMetaObject::invokeMethod(
            &process, [&process] { process.kill(); }, Qt::QueuedConnection);
    });

    process.start();
    if (!done)
        loop.exec();

    if (output) {
        output->standardOutput = process.readAllStandardOutput();
        output->standardError = process.readAllStandardError();
    }
    return outcomeCode(process, program, cancelled);
}

} // namespace orvanta
