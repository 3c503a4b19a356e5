#pragma once

#include "TestSupport.h"

#include "base/ErrorReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <vector>

namespace orvanta {

// A temporary folder to build trees of files, folders and links in.
class TempTree {
public:
    QString path() const { return m_root.path(); }
    QString at(const QString &relative) const { return m_root.filePath(relative); }

    // An empty file, its folders made as needed.
    QString file(const QString &relative) const
    {
        const QString full = at(relative);
        QDir().mkpath(QFileInfo(full).absolutePath());
        QFile created(full);
        created.open(QIODevice::WriteOnly);
        return full;
    }

    QString folder(const QString &relative) const
    {
        const QString full = at(relative);
        QDir().mkpath(full);
        return full;
    }

    QString link(const QString &target, const QString &relative) const
    {
        const QString full = at(relative);
        QFile::link(target, full);
        return full;
    }

private:
    QTemporaryDir m_root;
};

// Keeps every report it is given.

} // namespace orvanta
