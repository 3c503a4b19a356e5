#pragma once

// Small pieces that many tests share.

#include "base/ErrorReport.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <vector>

namespace orvanta {

// Keeps every error report instead of showing it.
class RecordingSink : public ErrorSink {
public:
    void report(const ErrorReport &report) override { reports.push_back(report); }
    std::vector<ErrorReport> reports;
};

// Points TMPDIR, and with it the program's private temporary folder, at a fresh folder for the
// object's lifetime.
class ScopedTmpdir {
public:
    ScopedTmpdir()
        : m_saved(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", m_dir.path().toUtf8());
    }
    ~ScopedTmpdir() { qputenv("TMPDIR", m_saved); }
    ScopedTmpdir(const ScopedTmpdir &) = delete;
    ScopedTmpdir &operator=(const ScopedTmpdir &) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QByteArray m_saved;
};

} // namespace orvanta
