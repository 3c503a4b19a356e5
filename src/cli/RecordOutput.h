#pragma once

#include "cli/RecordWriter.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <span>
#include <stop_token>

class QIODevice;

namespace orvanta {

class OutputFile;

// Where the printed records go: standard output, or a file put in place once complete
// (OutputFile, which writes a FIFO or device as it is). Once `stop` is requested nothing more is
// written and a file is not put in place.
class Destination {
public:
    Destination(QIODevice &standardOutput, const QString &path, std::stop_token stop = {});
    ~Destination();

    bool open();
    bool write(QByteArrayView bytes);
    bool finish();
    QString errorString() const;

private:
    QIODevice &m_standardOutput;
    std::unique_ptr<OutputFile> m_file;
    std::stop_token m_stop;
};

// Lays records out with the record writer and writes them in pieces; false at the first failed
// write.
class RecordStream {
public:
    RecordStream(Destination &destination, RecordWriter &writer);

    bool add(std::span<const Field> fields);
    bool end();

private:
    bool flush();

    Destination &m_destination;
    RecordWriter &m_writer;
    QByteArray m_buffer;
};

} // namespace orvanta
