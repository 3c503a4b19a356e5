#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <span>
#include <utility>
#include <variant>
#include <vector>

namespace orvanta {

enum class OutputFormat { Tsv, Csv, Json, JsonLines };

// A number written with four decimals.
struct Decimal {
    double value = 0;
};

// One value of a record: text, as a QString or as UTF-8 bytes, or a number.
using Field = std::variant<QString, QByteArrayView, qint64, Decimal>;
using NamedField = std::pair<QString, Field>;

// Lays records out in one of the formats; every format carries the same records and fields.
// TSV: tab-separated with a header line. CSV: RFC 4180 with a header line. JSON: one array of
// objects, or, with a header object, one object holding it and the array as "rows". JSON Lines:
// one object per line.
class RecordWriter {
public:
    RecordWriter(OutputFormat format, QStringList names, bool header = true);

    // JSON only: begins with {"<name>": {fields...}, "rows": [ instead of [.
    void setHeaderObject(const QString &name, const std::vector<NamedField> &fields);

    QByteArray begin() const;
    // Appends one record to `out`.
    void append(QByteArray &out, std::span<const Field> fields);
    QByteArray end() const;

private:
    void appendDelimited(QByteArray &out, std::span<const Field> fields, char separator) const;
    void appendObject(QByteArray &out, std::span<const Field> fields) const;

    OutputFormat m_format;
    QStringList m_names;
    bool m_header;
    bool m_first = true;
    QByteArray m_headerObject; // "name": {...}
};

} // namespace orvanta
