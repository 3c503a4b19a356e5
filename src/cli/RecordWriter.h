#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <variant>
#include <vector>

namespace orvanta {

enum class OutputFormat { Tsv, Csv, Json, JsonLines };

// One value of a record: text or a whole number.
using Field = std::variant<QString, qint64>;

// Lays records out in one of the formats; every format carries the same records and fields.
// TSV: tab-separated with a header line. CSV: RFC 4180 with a header line. JSON: one array of
// objects. JSON Lines: one object per line.
class RecordWriter {
public:
    RecordWriter(OutputFormat format, QStringList names, bool header = true);

    QByteArray begin() const;
    QByteArray record(const std::vector<Field> &fields);
    QByteArray end() const;

private:
    QByteArray delimited(const std::vector<Field> &fields, char separator) const;
    QByteArray object(const std::vector<Field> &fields) const;

    OutputFormat m_format;
    QStringList m_names;
    bool m_header;
    bool m_first = true;
};

} // namespace orvanta
