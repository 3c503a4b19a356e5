#include "results/XlsxSpreadsheetProgram.h"

#include "base/PrivateFolder.h"
#include "results/SpreadsheetPresence.h"

#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace orvanta {

namespace {

// Excel's own limits; the widest column Excel allows is 255 characters.
constexpr int kLastRow = LXW_ROW_MAX;
constexpr int kLastColumn = LXW_COL_MAX;
constexpr double kWidestColumn = 255;

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

Failure failure(const QString &error)
{
    return Failure{error};
}

Status libraryStatus(lxw_error error)
{
    if (error == LXW_NO_ERROR)
        return {};
    return failure(QString::fromUtf8(lxw_strerror(error)));
}

class XlsxSheet final : public SpreadsheetSheet {
public:
    explicit XlsxSheet(lxw_worksheet *sheet)
        : m_sheet(sheet)
    {
    }

    Status setCellText(int row, int column, const QString &text) override;
    Status setCellNumber(int row, int column, double number) override;
    Status fitColumn(int column) override;
    Status fitAllColumns() override;

    // Column widths can be set once only, so the fitted widths are applied at the end.
    void applyWidths();
    void close() { m_sheet = nullptr; }

private:
    lxw_worksheet *m_sheet;
    std::map<int, qsizetype> m_longest; // column: longest text written into it
    std::map<int, qsizetype> m_fitted;  // column: the longest text when it was last fitted
};

Status XlsxSheet::setCellText(int row, int column, const QString &text)
{
    if (!m_sheet)
        return failure(QStringLiteral("The workbook has been closed"));
    if (row < 1 || row > kLastRow || column < 1 || column > kLastColumn)
        return failure(QStringLiteral("Cell (%1, %2) lies outside the sheet").arg(row).arg(column));
    const QByteArray utf8 = escapeForWorkbook(text).toUtf8();
    const lxw_error error = worksheet_write_string(
        m_sheet, lxw_row_t(row - 1), lxw_col_t(column - 1), utf8.constData(), nullptr);
    if (error == LXW_NO_ERROR)
        m_longest[column] = std::max(m_longest[column], text.length());
    return libraryStatus(error);
}

Status XlsxSheet::setCellNumber(int row, int column, double number)
{
    if (!m_sheet)
        return failure(QStringLiteral("The workbook has been closed"));
    if (row < 1 || row > kLastRow || column < 1 || column > kLastColumn)
        return failure(QStringLiteral("Cell (%1, %2) lies outside the sheet").arg(row).arg(column));
    const lxw_error error =
        worksheet_write_number(m_sheet, lxw_row_t(row - 1), lxw_col_t(column - 1), number, nullptr);
    if (error == LXW_NO_ERROR)
        m_longest[column] = std::max(m_longest[column], QString::number(number, 'g', 15).length());
    return libraryStatus(error);
}

Status XlsxSheet::fitColumn(int column)
{
    if (!m_sheet)
        return failure(QStringLiteral("The workbook has been closed"));
    if (column < 1 || column > kLastColumn)
        return failure(QStringLiteral("Column %1 lies outside the sheet").arg(column));
    const auto longest = m_longest.find(column);
    if (longest != m_longest.end())
        m_fitted[column] = longest->second;
    return {};
}

Status XlsxSheet::fitAllColumns()
{
    if (!m_sheet)
        return failure(QStringLiteral("The workbook has been closed"));
    for (const auto &[column, longest] : m_longest)
        m_fitted[column] = longest;
    return {};
}

void XlsxSheet::applyWidths()
{
    for (const auto &[column, longest] : m_fitted) {
        if (longest > 0) {
            const double width = std::min(kWidestColumn, double(longest) + 1);
            worksheet_set_column(m_sheet, lxw_col_t(column - 1), lxw_col_t(column - 1), width,
                                 nullptr);
        }
    }
}

class XlsxWorkbook final : public SpreadsheetWorkbook {
public:
    XlsxWorkbook(lxw_workbook *book, lxw_worksheet *sheet, const Directory &folder, QString name)
        : m_book(book)
        , m_sheet(sheet)
        , m_folder(folder)
        , m_name(std::move(name))
        , m_path(folder.pathOf(m_name))
    {
    }
    ~XlsxWorkbook() override;

    SpreadsheetSheet &activeSheet() override { return m_sheet; }
    // Writes the file; later calls only say whether the first one succeeded.
    Status finish();
    const QString &path() const { return m_path; }

private:
    lxw_workbook *m_book;
    XlsxSheet m_sheet;
    const Directory &m_folder;
    QString m_name;
    QString m_path;
    Status m_finished;
};

XlsxWorkbook::~XlsxWorkbook()
{
    if (!m_book)
        return;
    // Never shown: nobody will look at the file.
    lxw_workbook_free(m_book);
    m_folder.removeFile(m_name);
}

Status XlsxWorkbook::finish()
{
    if (!m_book)
        return m_finished;
    m_sheet.applyWidths();
    m_sheet.close();
    const Status closed = libraryStatus(workbook_close(std::exchange(m_book, nullptr)));
    if (!closed.ok()) {
        m_folder.removeFile(m_name);
        m_finished = failure(QStringLiteral("Cannot write the workbook %1: %2")
                                 .arg(QDir::toNativeSeparators(m_path), closed.error()));
    }
    return m_finished;
}

class XlsxApplication final : public SpreadsheetApplication {
public:
    XlsxApplication(Directory folder, WorkbookOpener opener)
        : m_folder(std::move(folder))
        , m_opener(std::move(opener))
    {
    }

    Result<SpreadsheetWorkbook *> addWorkbook() override;
    Result<QStringList> makeVisible() override;

    Directory m_folder;
    WorkbookOpener m_opener;
    std::vector<std::unique_ptr<XlsxWorkbook>> m_books;
    size_t m_shown = 0;
};

Result<SpreadsheetWorkbook *> XlsxApplication::addWorkbook()
{
    // A new private file that no other workbook has; libxlsxwriter reaches it through our
    // descriptor of the folder, so a name swapped meanwhile cannot redirect the write.
    Descriptor reserved;
    const Result<QString> name =
        m_folder.createUniqueFile(QStringLiteral("Results-"), QStringLiteral(".xlsx"), reserved);
    if (!name.ok())
        return Failure{name.error()};
    const QByteArray writePath =
        QStringLiteral("/proc/self/fd/%1/%2").arg(m_folder.fd()).arg(*name).toUtf8();
    lxw_workbook *book = workbook_new(writePath.constData());
    lxw_worksheet *sheet = book ? workbook_add_worksheet(book, nullptr) : nullptr;
    if (!sheet) {
        if (book)
            lxw_workbook_free(book);
        m_folder.removeFile(*name);
        return Failure{QStringLiteral("Cannot start a workbook")};
    }
    m_books.push_back(std::make_unique<XlsxWorkbook>(book, sheet, m_folder, *name));
    return static_cast<SpreadsheetWorkbook *>(m_books.back().get());
}

Result<QStringList> XlsxApplication::makeVisible()
{
    QStringList unopened;
    Status written;
    for (; m_shown < m_books.size(); ++m_shown) {
        XlsxWorkbook &book = *m_books[m_shown];
        const Status finished = book.finish();
        if (!finished.ok()) {
            if (written.ok())
                written = finished;
        } else if (!m_opener || !m_opener(book.path())) {
            unopened << book.path();
        }
    }
    if (!written.ok())
        return Failure{written.error()};
    return unopened;
}

} // namespace

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

XlsxSpreadsheetProgram::XlsxSpreadsheetProgram(WorkbookOpener opener,
                                               std::function<bool()> presence)
    : m_opener(std::move(opener))
    , m_presence(presence ? std::move(presence) : spreadsheetProgramFound)
{
}

bool XlsxSpreadsheetProgram::isInstalled()
{
    return m_presence();
}

Result<std::unique_ptr<SpreadsheetApplication>> XlsxSpreadsheetProgram::createApplication()
{
    Result<Directory> folder = openPrivateFolder();
    if (!folder.ok())
        return Failure{folder.error()};
    return std::unique_ptr<SpreadsheetApplication>(
        std::make_unique<XlsxApplication>(std::move(folder).value(), m_opener));
}

} // namespace orvanta
