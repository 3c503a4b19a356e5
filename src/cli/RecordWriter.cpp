#include "cli/RecordWriter.h"

#include "phrases/CorpusMeasures.h"
#include "results/ExportWriters.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace orvanta {

namespace {

// Calls `use` with the field's text as UTF-8 bytes.
template <typename Use> void withText(const Field &field, Use use)
{
    if (const auto *number = std::get_if<qint64>(&field)) {
        char digits[24];
        const auto written = std::to_chars(std::begin(digits), std::end(digits), *number);
        use(QByteArrayView(digits, written.ptr - digits));
    } else if (const auto *decimal = std::get_if<Decimal>(&field)) {
        const std::string text = fourDecimals(decimal->value);
        use(QByteArrayView(text.data(), qsizetype(text.size())));
    } else if (const auto *bytes = std::get_if<QByteArrayView>(&field)) {
        use(*bytes);
    } else {
        use(QByteArrayView(std::get<QString>(field).toUtf8()));
    }
}

void appendJsonString(QByteArray &out, QByteArrayView utf8)
{
    out += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out += "\\u00" +
                       QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
            else
                out += c;
        }
    }
    out += '"';
}

bool isNumber(const Field &field)
{
    return std::holds_alternative<qint64>(field) || std::holds_alternative<Decimal>(field);
}

void appendJsonValue(QByteArray &out, const Field &field)
{
    withText(field, [&](QByteArrayView text) {
        if (isNumber(field))
            out += text;
        else
            appendJsonString(out, text);
    });
}

// A TSV field keeps its text on one line and in one column: tabs and line breaks (which no
// phrase holds, but a file's name may) are written as \t, \n and \r.
void appendTsvField(QByteArray &out, QByteArrayView text)
{
    const auto breaksLayout = [](char c) { return c == '\t' || c == '\n' || c == '\r'; };
    if (std::none_of(text.begin(), text.end(), breaksLayout)) {
        out += text;
        return;
    }
    for (const char c : text) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

} // namespace

RecordWriter::RecordWriter(OutputFormat format, QStringList names, bool header)
    : m_format(format)
    , m_names(std::move(names))
    , m_header(header)
{
}

void RecordWriter::setHeaderObject(const QString &name, const std::vector<NamedField> &fields)
{
    m_headerObject.clear();
    appendJsonString(m_headerObject, QByteArrayView(name.toUtf8()));
    m_headerObject += ": {";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            m_headerObject += ", ";
        appendJsonString(m_headerObject, QByteArrayView(fields[i].first.toUtf8()));
        m_headerObject += ": ";
        appendJsonValue(m_headerObject, fields[i].second);
    }
    m_headerObject += '}';
}

QByteArray RecordWriter::begin() const
{
    const std::vector<Field> names(m_names.cbegin(), m_names.cend());
    QByteArray out;
    switch (m_format) {
    case OutputFormat::Tsv:
    case OutputFormat::Csv:
        if (m_header)
            appendDelimited(out, names, m_format == OutputFormat::Tsv ? '\t' : ',');
        break;
    case OutputFormat::Json:
        out = m_headerObject.isEmpty() ? "[" : "{" + m_headerObject + ",\n\"rows\": [";
        break;
    case OutputFormat::JsonLines:
        break;
    }
    return out;
}

void RecordWriter::append(QByteArray &out, std::span<const Field> fields)
{
    const bool first = std::exchange(m_first, false);
    switch (m_format) {
    case OutputFormat::Tsv:
        appendDelimited(out, fields, '\t');
        break;
    case OutputFormat::Csv:
        appendDelimited(out, fields, ',');
        break;
    case OutputFormat::Json:
        out += first ? "\n" : ",\n";
        appendObject(out, fields);
        break;
    case OutputFormat::JsonLines:
        appendObject(out, fields);
        out += '\n';
        break;
    }
}

QByteArray RecordWriter::end() const
{
    if (m_format == OutputFormat::Json) {
        const QByteArray close = m_headerObject.isEmpty() ? "]\n" : "]}\n";
        return m_first ? close : "\n" + close;
    }
    return {};
}

void RecordWriter::appendDelimited(QByteArray &out, std::span<const Field> fields,
                                   char separator) const
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += separator;
        withText(fields[i], [&](QByteArrayView text) {
            if (separator == ',')
                appendCsvField(out, text);
            else
                appendTsvField(out, text);
        });
    }
    out += separator == ',' ? "\r\n" : "\n";
}

void RecordWriter::appendObject(QByteArray &out, std::span<const Field> fields) const
{
    out += '{';
    for (std::size_t i = 0; i < fields.size() && i < std::size_t(m_names.size()); ++i) {
        if (i > 0)
            out += ", ";
        appendJsonString(out, QByteArrayView(m_names[qsizetype(i)].toUtf8()));
        out += ": ";
        appendJsonValue(out, fields[i]);
    }
    out += '}';
}

} // namespace orvanta
