#pragma once

// Stand-ins for pdftotext, put first on PATH, for the fault tests.

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <sys/types.h>

namespace orvanta {

// A shell script named pdftotext that comes first on PATH, and is used instead of the
// conversion workers, for the object's lifetime. It gets the converter's arguments
// ([-opw P -upw P] PDF -) and writes the text to standard output.
class FakeConverter {
public:
    explicit FakeConverter(const QString &scriptBody)
        : m_path("PATH", (m_dir.path() + QLatin1Char(':') + qgetenv("PATH")).toUtf8())
        , m_perFile("ORVANTA_CONVERTER", "pdftotext")
    {
        const QString script = m_dir.filePath(QStringLiteral("pdftotext"));
        writeFile(script, "#!/bin/sh\n" + scriptBody.toUtf8() + '\n');
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // One that writes its pid to `pidFile` and then hangs.
    static QString hangingScript(const QString &pidFile)
    {
        return QStringLiteral("echo $$ > '%1'\nexec sleep 600").arg(pidFile);
    }

    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    ScopedEnv m_path;
    ScopedEnv m_perFile;
};

// No converter at all, for the object's lifetime: the workers are not used and there is no
// pdftotext on PATH, as on a system without poppler-utils and a build without the workers.
class NoConverter {
public:
    NoConverter()
        : m_path("PATH", m_empty.path().toUtf8())
        , m_perFile("ORVANTA_CONVERTER", "pdftotext")
    {
    }

private:
    QTemporaryDir m_empty;
    ScopedEnv m_path;
    ScopedEnv m_perFile;
};

// The pid a stand-in wrote to the file, once it has; 0 after ten seconds without one.
inline pid_t waitForPidFile(const QString &pidFile)
{
    for (int i = 0; i < 500; ++i) {
        const QByteArray text = readFile(pidFile).trimmed();
        if (!text.isEmpty())
            return pid_t(text.toInt());
        QThread::msleep(20);
    }
    return 0;
}

} // namespace orvanta
