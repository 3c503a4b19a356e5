#include "results/ExportWriters.h"

#include "base/OutputFile.h"
#include "base/Utf8.h"
#include "results/ExportRows.h"

#include <QDir>

#include <algorithm>
#include <charconv>
#include <vector>

namespace orvanta {

namespace {

constexpr qsizetype kChunkBytes = 64 * 1024;

void appendNumber(QByteArray &out, qint64 number)
{
    char digits[24];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), number);
    out.append(digits, written.ptr - digits);
}

QString cellText(const ExportCell &cell)
{
    return cell.isNumber ? QString::number(cell.number) : decodeUtf8(cell.text);
}

// Collects the lines of a file and writes them a chunk at a time.
class ChunkedWriter {
public:
    ChunkedWriter(OutputFile &file, std::stop_token stop)
        : m_file(file)
        , m_stop(std::move(stop))
    {
    }

    QByteArray &buffer() { return m_chunk; }
    // Writes the chunk when it is full, or whatever it holds when `all`.
    Status flush(bool all = false)
    {
        if (m_chunk.size() < kChunkBytes && !all)
            return {};
        if (m_stop.stop_requested())
            return Failure{QStringLiteral("the export was stopped")};
        if (!m_file.write(m_chunk))
            return Failure{m_file.errorString()};
        m_chunk.resize(0);
        return {};
    }

private:
    OutputFile &m_file;
    std::stop_token m_stop;
    QByteArray m_chunk;
};

void appendCsvRecord(QByteArray &out, std::span<const ExportCell> cells)
{
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += ',';
        if (cells[i].isNumber)
            appendNumber(out, cells[i].number);
        else
            appendCsvField(out, cells[i].text);
    }
    out += "\r\n";
}

void appendPaddedLine(QString &text, const QStringList &cells, const std::vector<qsizetype> &widths)
{
    for (size_t column = 0; column < widths.size(); ++column) {
        const QString &cell = cells[qsizetype(column)];
        text += cell;
        if (cell.length() < widths[column])
            text += QString(widths[column] - cell.length(), QLatin1Char(' '));
        if (column + 1 < widths.size())
            text += QLatin1Char('\t');
    }
    qsizetype end = text.length();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    text.truncate(end);
    text += QStringLiteral("\r\n");
}

} // namespace

Status writeText(ExportRows &rows, OutputFile &file, std::stop_token stop)
{
    ChunkedWriter out(file, std::move(stop));
    for (qsizetype row = 0; row < rows.rowCount(); ++row) {
        if (rows.isLeftOut(row))
            continue;
        const ExportCell &first = rows.cells(row).front();
        if (first.isNumber)
            appendNumber(out.buffer(), first.number);
        else
            out.buffer() += first.text;
        out.buffer() += "\r\n";
        if (const Status written = out.flush(); !written.ok())
            return written;
    }
    return out.flush(true);
}

Status writeCsv(ExportRows &rows, OutputFile &file, std::stop_token stop)
{
    ChunkedWriter out(file, std::move(stop));
    std::vector<QByteArray> headers;
    std::vector<ExportCell> headerCells;
    for (const QString &header : rows.headers())
        headers.push_back(header.toUtf8());
    for (const QByteArray &header : headers)
        headerCells.push_back({header});
    appendCsvRecord(out.buffer(), headerCells);
    for (qsizetype row = 0; row < rows.rowCount(); ++row) {
        if (rows.isLeftOut(row))
            continue;
        appendCsvRecord(out.buffer(), rows.cells(row));
        if (const Status written = out.flush(); !written.ok())
            return written;
    }
    return out.flush(true);
}

std::optional<QString> clipboardText(ExportRows &rows)
{
    bool anyChosen = false;
    for (qsizetype row = 0; row < rows.rowCount() && !anyChosen; ++row)
        anyChosen = !rows.isLeftOut(row);
    if (!anyChosen)
        return std::nullopt;
    std::vector<QStringList> texts;
    std::vector<qsizetype> widths(size_t(rows.headers().size()), 0);
    for (qsizetype row = 0; row < rows.rowCount(); ++row) {
        QStringList cells;
        for (const ExportCell &cell : rows.cells(row))
            cells << cellText(cell);
        for (size_t column = 0; column < widths.size(); ++column)
            widths[column] = std::max(widths[column], cells[qsizetype(column)].length());
        texts.push_back(std::move(cells));
    }
    QString text;
    for (qsizetype row = 0; row < rows.rowCount(); ++row) {
        if (!rows.isLeftOut(row))
            appendPaddedLine(text, texts[size_t(row)], widths);
    }
    return text;
}

Status exportToFile(const QString &path, ExportRows &rows, const ExportWriter &write,
                    std::stop_token stop)
{
    const QString shown = QDir::toNativeSeparators(path);
    OutputFile file(path);
    if (!file.open())
        return Failure{QStringLiteral("Cannot create %1: %2").arg(shown, file.errorString())};
    if (const Status written = write(rows, file, std::move(stop)); !written.ok())
        return Failure{QStringLiteral("Cannot write %1: %2").arg(shown, written.error())};
    if (!file.finish())
        return Failure{QStringLiteral("Cannot write %1: %2").arg(shown, file.errorString())};
    return {};
}

QByteArray csvField(QByteArrayView text)
{
    QByteArray field;
    appendCsvField(field, text);
    return field;
}

void appendCsvField(QByteArray &out, QByteArrayView text)
{
    const bool quoted = std::any_of(text.begin(), text.end(), [](char c) {
        return c == ',' || c == '"' || c == '\r' || c == '\n';
    });
    if (!quoted) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace orvanta
