#include "cli/RecordWriter.h"

namespace orvanta {

namespace {

QByteArray csvField(const QByteArray &text)
{
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r'))
        return text;
    QByteArray quoted = text;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

QByteArray jsonString(const QByteArray &utf8)
{
    QByteArray out = "\"";
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
    return out + '"';
}

QByteArray textOf(const Field &field)
{
    if (const auto *number = std::get_if<qint64>(&field))
        return QByteArray::number(*number);
    return std::get<QString>(field).toUtf8();
}

} // namespace

RecordWriter::RecordWriter(OutputFormat format, QStringList names, bool header)
    : m_format(format)
    , m_names(std::move(names))
    , m_header(header)
{
}

QByteArray RecordWriter::begin() const
{
    std::vector<Field> names(m_names.cbegin(), m_names.cend());
    switch (m_format) {
    case OutputFormat::Tsv:
        return m_header ? delimited(names, '\t') : QByteArray();
    case OutputFormat::Csv:
        return m_header ? delimited(names, ',') : QByteArray();
    case OutputFormat::Json:
        return "[";
    case OutputFormat::JsonLines:
        return {};
    }
    return {};
}

QByteArray RecordWriter::record(const std::vector<Field> &fields)
{
    const bool first = std::exchange(m_first, false);
    switch (m_format) {
    case OutputFormat::Tsv:
        return delimited(fields, '\t');
    case OutputFormat::Csv:
        return delimited(fields, ',');
    case OutputFormat::Json:
        return (first ? "\n" : ",\n") + object(fields);
    case OutputFormat::JsonLines:
        return object(fields) + '\n';
    }
    return {};
}

QByteArray RecordWriter::end() const
{
    if (m_format == OutputFormat::Json)
        return m_first ? "]\n" : "\n]\n";
    return {};
}

QByteArray RecordWriter::delimited(const std::vector<Field> &fields, char separator) const
{
    QByteArray line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += separator;
        line += separator == ',' ? csvField(textOf(fields[i])) : textOf(fields[i]);
    }
    return line + (separator == ',' ? "\r\n" : "\n");
}

QByteArray RecordWriter::object(const std::vector<Field> &fields) const
{
    QByteArray out = "{";
    for (size_t i = 0; i < fields.size() && i < size_t(m_names.size()); ++i) {
        if (i > 0)
            out += ", ";
        out += jsonString(m_names[qsizetype(i)].toUtf8()) + ": ";
        const bool isNumber = std::holds_alternative<qint64>(fields[i]);
        out += isNumber ? textOf(fields[i]) : jsonString(textOf(fields[i]));
    }
    return out + '}';
}

} // namespace orvanta
