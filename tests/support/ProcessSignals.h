#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Whether a process of ours has taken over the signal: it has a handler for it (SigCgt) or
// blocks it to wait for it (SigBlk) in /proc/PID/status. Before that, as while its libraries
// load, the signal's default action would simply end it.
inline bool takesSignal(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    const quint64 bit = quint64(1) << (signal - 1);
    quint64 taken = 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:") || line.startsWith("SigBlk:"))
            taken |= line.mid(7).trimmed().toULongLong(nullptr, 16);
    }
    return taken & bit;
}
