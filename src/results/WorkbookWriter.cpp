// The workbook writer: the one place that uses libxlsxwriter.

#include "results/ExportWriters.h"

#include "base/OutputFile.h"
#include "base/PrivateFolder.h"
#include "results/ExportRows.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace orvanta {

namespace {

constexpr double kWidestColumn = 100;
constexpr qsizetype kCopyBytes = 64 * 1024;

bool needsEscape(char16_t c)
{
    return (c < 0x20 && c != u'\t' && c != u'\n') || c == 0xFFFE || c == 0xFFFF;
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool startsEscape(const QString &text, qsizetype at)
{
    if (at + 7 > text.length() || text.at(at) != u'_' || text.at(at + 1) != u'x' ||
        text.at(at + 6) != u'_')
        return false;
    return std::all_of(text.begin() + at + 2, text.begin() + at + 6, isHexDigit);
}

QString escaped(char16_t c)
{
    return QStringLiteral("_x") + QString::number(uint(c), 16).toUpper().rightJustified(4, u'0') +
           QLatin1Char('_');
}

// Most texts hold nothing to escape: no control character, no U+FFFE or U+FFFF (which begin
// with byte EF), no underscore.
bool mayNeedEscape(QByteArrayView utf8)
{
    return std::any_of(utf8.begin(), utf8.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0xEF || byte == '_';
    });
}

qsizetype characterCount(const ExportCell &cell)
{
    if (cell.isNumber)
        return QByteArray::number(cell.number).size();
    return std::count_if(cell.text.begin(), cell.text.end(),
                         [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

QString cellName(lxw_row_t row, lxw_col_t column)
{
    return QChar(u'A' + column) + QString::number(row + 1);
}

Failure libraryFailure(lxw_error error)
{
    return Failure{QString::fromUtf8(lxw_strerror(error))};
}

// Writes the rows into a sheet, in order, keeping little in memory as constant-memory mode
// wants: the column widths are known before the first row goes out.
class SheetWriter {
public:
    SheetWriter(lxw_worksheet *sheet, ExportRows &rows, QStringList *skipped)
        : m_sheet(sheet)
        , m_rows(rows)
        , m_skipped(skipped)
    {
    }

    Status write(std::stop_token stop)
    {
        fitColumns();
        worksheet_freeze_panes(m_sheet, 1, 0);
        const auto columns = lxw_col_t(m_rows.headers().size());
        worksheet_autofilter(m_sheet, 0, 0, lxw_row_t(m_rows.rowCount()), columns - 1);
        for (lxw_col_t column = 0; column < columns; ++column) {
            const QByteArray header = m_rows.headers()[column].toUtf8();
            if (const lxw_error error =
                    worksheet_write_string(m_sheet, 0, column, header.constData(), nullptr))
                return libraryFailure(error);
        }
        for (qsizetype row = 0; row < m_rows.rowCount(); ++row) {
            if (stop.stop_requested())
                return Failure{QStringLiteral("the export was stopped")};
            if (m_rows.isLeftOut(row))
                continue;
            if (const Status written = writeRow(lxw_row_t(row + 1), m_rows.cells(row));
                !written.ok())
                return written;
        }
        return {};
    }

private:
    void fitColumns()
    {
        std::vector<qsizetype> longest;
        for (const QString &header : m_rows.headers())
            longest.push_back(header.size());
        for (qsizetype row = 0; row < m_rows.rowCount(); ++row) {
            if (m_rows.isLeftOut(row))
                continue;
            const std::span<const ExportCell> cells = m_rows.cells(row);
            for (size_t column = 0; column < cells.size(); ++column)
                longest[column] = std::max(longest[column], characterCount(cells[column]));
        }
        for (size_t column = 0; column < longest.size(); ++column) {
            const double width = std::min(kWidestColumn, double(longest[column]) + 1);
            worksheet_set_column(m_sheet, lxw_col_t(column), lxw_col_t(column), width, nullptr);
        }
    }

    Status writeRow(lxw_row_t row, std::span<const ExportCell> cells)
    {
        for (size_t i = 0; i < cells.size(); ++i) {
            const auto column = lxw_col_t(i);
            const lxw_error error =
                cells[i].isNumber
                    ? worksheet_write_number(m_sheet, row, column, double(cells[i].number), nullptr)
                    : writeText(row, column, cells[i].text);
            if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED && m_skipped) {
                *m_skipped << QStringLiteral("Cell %1 was left empty: %2")
                                  .arg(cellName(row, column), libraryFailure(error).message);
                continue;
            }
            if (error)
                return libraryFailure(error);
        }
        return {};
    }

    lxw_error writeText(lxw_row_t row, lxw_col_t column, QByteArrayView utf8)
    {
        m_text = mayNeedEscape(utf8) ? escapeForWorkbook(QString::fromUtf8(utf8)).toUtf8()
                                     : utf8.toByteArray();
        return worksheet_write_string(m_sheet, row, column, m_text.constData(), nullptr);
    }

    lxw_worksheet *m_sheet;
    ExportRows &m_rows;
    QStringList *m_skipped;
    QByteArray m_text;
};

// libxlsxwriter writes to a file name. It writes into a new private file of its own, reached
// through the folder's descriptor so a name swapped meanwhile cannot redirect it; the finished
// workbook is then copied into the output, which may be a FIFO or a device.
class ScratchWorkbook {
public:
    ~ScratchWorkbook()
    {
        if (m_book)
            lxw_workbook_free(m_book);
        if (!m_name.isEmpty())
            m_folder.removeFile(m_name);
    }

    Status open()
    {
        Result<Directory> folder = openPrivateFolder();
        if (!folder.ok())
            return Failure{folder.error()};
        m_folder = std::move(folder).value();
        Descriptor reserved;
        const Result<QString> name = m_folder.createUniqueFile(QStringLiteral("Workbook-"),
                                                               QStringLiteral(".xlsx"), reserved);
        if (!name.ok())
            return Failure{name.error()};
        m_name = *name;
        const QByteArray path =
            QStringLiteral("/proc/self/fd/%1/%2").arg(m_folder.fd()).arg(m_name).toUtf8();
        m_scratch = m_folder.path().toUtf8();
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_scratch.data();
        m_book = workbook_new_opt(path.constData(), &options);
        if (!m_book)
            return Failure{QStringLiteral("cannot start a workbook")};
        return {};
    }

    lxw_worksheet *addSheet() { return workbook_add_worksheet(m_book, "Phrases"); }

    Status close(lxw_worksheet *sheet)
    {
        // libxlsxwriter ignores failed writes to its file of rows and would zip up what is left.
        FILE *rowsFile = sheet->optimize_tmpfile;
        if (rowsFile && (std::fflush(rowsFile) != 0 || std::ferror(rowsFile)))
            return Failure{QStringLiteral("the rows could not all be written; the disk may be "
                                          "full")};
        const lxw_error error = workbook_close(std::exchange(m_book, nullptr));
        return error ? Status(libraryFailure(error)) : Status();
    }

    Status copyInto(OutputFile &file, std::stop_token stop) const
    {
        Result<Descriptor> finished = m_folder.openFile(m_name);
        if (!finished.ok())
            return Failure{finished.error()};
        QByteArray chunk(kCopyBytes, Qt::Uninitialized);
        for (;;) {
            if (stop.stop_requested())
                return Failure{QStringLiteral("the export was stopped")};
            const ssize_t got = ::read(finished->get(), chunk.data(), size_t(chunk.size()));
            if (got < 0)
                return Failure{QString::fromLocal8Bit(std::strerror(errno))};
            if (got == 0)
                return {};
            if (!file.write(QByteArrayView(chunk.constData(), got)))
                return Failure{file.errorString()};
        }
    }

private:
    Directory m_folder;
    QString m_name;
    QByteArray m_scratch;
    lxw_workbook *m_book = nullptr;
};

} // namespace

Status writeWorkbook(ExportRows &rows, OutputFile &file, std::stop_token stop, QStringList *skipped)
{
    if (rows.rowCount() >= qsizetype(LXW_ROW_MAX))
        return Failure{QStringLiteral("a workbook holds at most %1 rows besides its header, and "
                                      "%2 were to be written. Filter the list further, or "
                                      "export it as CSV.")
                           .arg(LXW_ROW_MAX - 1)
                           .arg(rows.rowCount())};
    ScratchWorkbook book;
    if (const Status opened = book.open(); !opened.ok())
        return opened;
    lxw_worksheet *sheet = book.addSheet();
    if (!sheet)
        return Failure{QStringLiteral("cannot start a worksheet")};
    if (const Status written = SheetWriter(sheet, rows, skipped).write(stop); !written.ok())
        return written;
    if (const Status closed = book.close(sheet); !closed.ok())
        return closed;
    return book.copyInto(file, std::move(stop));
}

QString workbookLibraryVersion()
{
    return QString::fromLatin1(lxw_version());
}

QString escapeForWorkbook(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (needsEscape(c))
            out += escaped(c);
        else if (startsEscape(text, i))
            out += QStringLiteral("_x005F_");
        else
            out += QChar(c);
    }
    return out;
}

} // namespace orvanta
