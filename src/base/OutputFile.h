#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QSaveFile>
#include <QString>

namespace orvanta {

// Where results are written. A file is written under a temporary name beside it that replaces
// it only once complete, so a failed write leaves the old file as it was. A device or FIFO is
// written to as it is: replacing it would put a regular file in its place and report a success
// while nothing reached it.
class OutputFile {
public:
    explicit OutputFile(const QString &path);

    const QString &path() const { return m_path; }
    bool open();
    bool isOpen() const;
    // Writes every byte, retrying short writes; false when the write failed.
    bool write(QByteArrayView bytes);
    // Puts the text in place; false when it did not all arrive.
    bool finish();
    QString errorString() const;

private:
    bool openDirect();
    QFileDevice &device();

    const QString m_path;
    QSaveFile m_replacement;
    QFile m_deviceFile;
    const bool m_direct;
    QString m_error;
};

} // namespace orvanta
