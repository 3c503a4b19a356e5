#include "cli/TerminalHost.h"

#include <QFileInfo>
#include <QIODevice>

namespace orvanta {

namespace {

void writeText(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

QString plainLineEnds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString progressLine(const RunProgress &progress)
{
    switch (progress.stage) {
    case RunProgress::Stage::Converting:
        return QStringLiteral("%1 %2 of %3: %4")
            .arg(progress.fromStore ? QStringLiteral("Reading (converted before)")
                                    : QStringLiteral("Converting"))
            .arg(progress.fileIndex)
            .arg(progress.fileCount)
            .arg(QFileInfo(progress.path).fileName());
    case RunProgress::Stage::Recognising:
        return QStringLiteral("Recognising page %1 of %2: %3")
            .arg(progress.fileIndex)
            .arg(progress.fileCount)
            .arg(QFileInfo(progress.path).fileName());
    case RunProgress::Stage::Counting:
        return QStringLiteral("Counting phrases");
    case RunProgress::Stage::FindingPassages:
        return QStringLiteral("Finding repeated passages");
    case RunProgress::Stage::Ordering:
        return QStringLiteral("Sorting");
    }
    return {};
}

} // namespace

void sayOn(QIODevice &err, const QString &text)
{
    writeText(err, QStringLiteral("orvanta-count: ") + text + QLatin1Char('\n'));
}

TerminalHost::TerminalHost(QIODevice &err, const PasswordReader &readPassword)
    : m_err(err)
    , m_readPassword(readPassword)
{
}

QString TerminalHost::askPassword(const QString &pdfPath)
{
    clearProgress();
    const QString prompt = QStringLiteral("Enter password for file (%1): \nNote: Leave it blank "
                                          "if the file is not password protected")
                               .arg(pdfPath);
    return m_readPassword ? m_readPassword(prompt, m_stop.get_token()) : QString();
}

void TerminalHost::reportProgress(const RunProgress &progress)
{
    if (!m_showProgress)
        return;
    const std::lock_guard lock(m_progressMutex);
    writeText(m_err, QStringLiteral("\r\033[K") + progressLine(progress).left(100));
    m_progressShown = true;
}

void TerminalHost::report(const ErrorReport &report)
{
    clearProgress();
    sayOn(m_err, plainLineEnds(report.description));
    ++m_reports;
}

void TerminalHost::clearProgress()
{
    const std::lock_guard lock(m_progressMutex);
    if (m_progressShown)
        writeText(m_err, QStringLiteral("\r\033[K"));
    m_progressShown = false;
}

} // namespace orvanta
