#include "results/ResultsTableFile.h"

#include "results/WriteAll.h"
#include "results/XlsxSpreadsheetProgram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace orvanta {

namespace {

constexpr qsizetype kChunkBytes = 64 * 1024;
constexpr double kWidestPhraseColumn = 100;
const char *const kHeaders[] = {"Phrase", "Words", "Frequency", "Files"};

Failure cannotWrite(const QString &path, const QString &reason)
{
    return Failure{
        QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason)};
}

Failure stopped(const QString &path)
{
    return cannotWrite(path, QStringLiteral("the export was stopped"));
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void appendCsvRecord(QByteArray &out, const PhraseResults &results, std::uint32_t id)
{
    const std::string_view phrase = results.phraseUtf8(id);
    out += csvField(QByteArrayView(phrase.data(), qsizetype(phrase.size())));
    for (const int number : {results.wordCount(id), results.frequency(id), results.files(id)})
        out += ',' + QByteArray::number(number);
    out += "\r\n";
}

// A new empty file beside `path`, made with the permissions a new file gets here.
Result<QString> createSibling(const QString &path)
{
    const QFileInfo target(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral(".%1.%2.part")
                                 .arg(target.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
        const QString sibling = target.dir().filePath(name);
        const int fd = ::open(QFile::encodeName(sibling).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return sibling;
        }
        if (errno != EEXIST)
            return cannotWrite(path, systemError(errno));
    }
    return cannotWrite(path, QStringLiteral("no free name for the file being written"));
}

Status renameInto(const QString &written, const QString &path)
{
    if (::rename(QFile::encodeName(written).constData(), QFile::encodeName(path).constData()) == 0)
        return {};
    const int error = errno;
    QFile::remove(written);
    return cannotWrite(path, systemError(error));
}

Status libraryStatus(const QString &path, lxw_error error)
{
    if (error == LXW_NO_ERROR)
        return {};
    return cannotWrite(path, QString::fromUtf8(lxw_strerror(error)));
}

double phraseColumnWidth(const PhraseResults &results, std::span<const std::uint32_t> ids)
{
    size_t longest = std::char_traits<char>::length(kHeaders[0]);
    for (const std::uint32_t id : ids)
        longest = std::max(longest, results.phraseUtf8(id).size());
    return std::min(kWidestPhraseColumn, double(longest) + 1);
}

// Rows go out in order with little kept in memory, as constant-memory mode wants.
class WorkbookRows {
public:
    WorkbookRows(lxw_worksheet *sheet, const PhraseResults &results)
        : m_sheet(sheet)
        , m_results(results)
    {
    }

    lxw_error header()
    {
        for (lxw_col_t column = 0; column < 4; ++column) {
            if (const lxw_error error =
                    worksheet_write_string(m_sheet, 0, column, kHeaders[column], nullptr))
                return error;
        }
        return LXW_NO_ERROR;
    }

    lxw_error row(lxw_row_t row, std::uint32_t id)
    {
        const std::string_view phrase = m_results.phraseUtf8(id);
        const QByteArray text =
            escapeForWorkbook(QString::fromUtf8(phrase.data(), qsizetype(phrase.size()))).toUtf8();
        lxw_error error = worksheet_write_string(m_sheet, row, 0, text.constData(), nullptr);
        const int numbers[] = {m_results.wordCount(id), m_results.frequency(id),
                               m_results.files(id)};
        for (lxw_col_t column = 1; column < 4 && !error; ++column)
            error = worksheet_write_number(m_sheet, row, column, numbers[column - 1], nullptr);
        return error;
    }

private:
    lxw_worksheet *m_sheet;
    const PhraseResults &m_results;
};

Status fillWorkbook(lxw_workbook *book, const QString &path, const PhraseResults &results,
                    std::span<const std::uint32_t> ids, std::stop_token stop)
{
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Phrases");
    if (!sheet)
        return cannotWrite(path, QStringLiteral("cannot start a worksheet"));
    worksheet_set_column(sheet, 0, 0, phraseColumnWidth(results, ids), nullptr);
    worksheet_freeze_panes(sheet, 1, 0);
    worksheet_autofilter(sheet, 0, 0, lxw_row_t(ids.size()), 3);
    WorkbookRows rows(sheet, results);
    lxw_error error = rows.header();
    for (size_t i = 0; i < ids.size() && !error; ++i) {
        if (stop.stop_requested())
            return stopped(path);
        error = rows.row(lxw_row_t(i + 1), ids[i]);
    }
    if (error)
        return libraryStatus(path, error);
    // libxlsxwriter ignores failed writes to its file of rows and would zip up what is left.
    FILE *rowsFile = sheet->optimize_tmpfile;
    if (rowsFile && (std::fflush(rowsFile) != 0 || std::ferror(rowsFile)))
        return cannotWrite(path, QStringLiteral("the rows could not all be written; the disk "
                                                "may be full"));
    return {};
}

} // namespace

QByteArray csvField(QByteArrayView text)
{
    const bool quoted = std::any_of(text.begin(), text.end(), [](char c) {
        return c == ',' || c == '"' || c == '\r' || c == '\n';
    });
    if (!quoted)
        return text.toByteArray();
    QByteArray field = text.toByteArray();
    field.replace('"', "\"\"");
    return '"' + field + '"';
}

Status writeResultsCsv(const QString &path, const PhraseResults &results,
                       std::span<const std::uint32_t> ids, std::stop_token stop)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return cannotWrite(path, file.errorString());
    QByteArray chunk = "Phrase,Words,Frequency,Files\r\n";
    for (size_t i = 0; i <= ids.size(); ++i) {
        const bool end = i == ids.size();
        if (!end)
            appendCsvRecord(chunk, results, ids[i]);
        if (end || chunk.size() >= kChunkBytes) {
            if (stop.stop_requested())
                return stopped(path); // the unfinished file goes with `file`
            if (!writeAll(file, chunk))
                return cannotWrite(path, file.errorString());
            chunk.clear();
        }
    }
    if (!file.commit())
        return cannotWrite(path, file.errorString());
    return {};
}

Status writeResultsWorkbook(const QString &path, const PhraseResults &results,
                            std::span<const std::uint32_t> ids, std::stop_token stop)
{
    if (ids.size() >= size_t(LXW_ROW_MAX))
        return cannotWrite(path, QStringLiteral("a workbook holds at most %1 rows besides its "
                                                "header, and %2 are shown. Filter the list "
                                                "further, or export it as CSV.")
                                     .arg(LXW_ROW_MAX - 1)
                                     .arg(ids.size()));
    const Result<QString> sibling = createSibling(path);
    if (!sibling.ok())
        return Failure{sibling.error()};
    const QByteArray siblingName = QFile::encodeName(*sibling);
    // Its scratch files go beside the target too: a disk too full for them is then too full
    // for the workbook itself, a failure that libxlsxwriter does report.
    const QByteArray scratch = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char *>(scratch.constData());
    lxw_workbook *book = workbook_new_opt(siblingName.constData(), &options);
    if (!book) {
        QFile::remove(*sibling);
        return cannotWrite(path, QStringLiteral("cannot start a workbook"));
    }
    const Status filled = fillWorkbook(book, path, results, ids, stop);
    if (!filled.ok()) {
        lxw_workbook_free(book);
        QFile::remove(*sibling);
        return filled;
    }
    const Status closed = libraryStatus(path, workbook_close(book));
    if (!closed.ok()) {
        QFile::remove(*sibling);
        return closed;
    }
    return renameInto(*sibling, path);
}

} // namespace orvanta
