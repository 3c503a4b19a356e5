#include "results/XlsxSpreadsheetProgram.h"

#include "base/PrivateTempFolder.h"
#include "results/SpreadsheetPresence.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

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

SpreadsheetStatus failure(const QString &error)
{
    return {error};
}

SpreadsheetStatus libraryStatus(lxw_error error)
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

    SpreadsheetStatus setCellText(int row, int column, const QString &text) override;
    SpreadsheetStatus fitColumn(int column) override;
    SpreadsheetStatus fitAllColumns() override;

    // Column widths can be set once only, so the fitted widths are applied at the end.
    void applyWidths();
    void close() { m_sheet = nullptr; }

private:
    lxw_worksheet *m_sheet;
    std::map<int, qsizetype> m_longest; // column: longest text written into it
    std::map<int, qsizetype> m_fitted;  // column: the longest text when it was last fitted
};

SpreadsheetStatus XlsxSheet::setCellText(int row, int column, const QString &text)
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

SpreadsheetStatus XlsxSheet::fitColumn(int column)
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

SpreadsheetStatus XlsxSheet::fitAllColumns()
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
    XlsxWorkbook(lxw_workbook *book, lxw_worksheet *sheet, QString path)
        : m_book(book)
        , m_sheet(sheet)
        , m_path(std::move(path))
    {
    }
    ~XlsxWorkbook() override;

    SpreadsheetSheet &activeSheet() override { return m_sheet; }
    // Writes the file; later calls only say whether the first one succeeded.
    SpreadsheetStatus finish();
    const QString &path() const { return m_path; }

private:
    lxw_workbook *m_book;
    XlsxSheet m_sheet;
    QString m_path;
    SpreadsheetStatus m_finished;
};

XlsxWorkbook::~XlsxWorkbook()
{
    if (!m_book)
        return;
    // Never shown: nobody will look at the file.
    lxw_workbook_free(m_book);
    QFile::remove(m_path);
}

SpreadsheetStatus XlsxWorkbook::finish()
{
    if (!m_book)
        return m_finished;
    m_sheet.applyWidths();
    m_sheet.close();
    m_finished = libraryStatus(workbook_close(std::exchange(m_book, nullptr)));
    if (!m_finished.ok()) {
        QFile::remove(m_path);
        m_finished.error = QStringLiteral("Cannot write the workbook %1: %2")
                               .arg(QDir::toNativeSeparators(m_path), m_finished.error);
    }
    return m_finished;
}

class XlsxApplication final : public SpreadsheetApplication {
public:
    XlsxApplication(QString folder, WorkbookOpener opener)
        : m_folder(std::move(folder))
        , m_opener(std::move(opener))
    {
    }

    SpreadsheetWorkbook *addWorkbook(QString &error) override;
    SpreadsheetStatus makeVisible() override;

private:
    SpreadsheetStatus show(XlsxWorkbook &book);

    QString m_folder;
    WorkbookOpener m_opener;
    std::vector<std::unique_ptr<XlsxWorkbook>> m_books;
    size_t m_shown = 0;
};

// A new name that no other workbook has: the file is created here, empty and private.
QString reserveWorkbookPath(const QString &folder, QString &error)
{
    QTemporaryFile file(folder + QStringLiteral("/Results-XXXXXX.xlsx"));
    file.setAutoRemove(false);
    if (!file.open()) {
        error = QStringLiteral("Cannot create a workbook in %1: %2")
                    .arg(QDir::toNativeSeparators(folder), file.errorString());
        return {};
    }
    return file.fileName();
}

SpreadsheetWorkbook *XlsxApplication::addWorkbook(QString &error)
{
    const QString path = reserveWorkbookPath(m_folder, error);
    if (path.isEmpty())
        return nullptr;
    const QByteArray nativePath = QFile::encodeName(path);
    QByteArray tempFolder = QFile::encodeName(m_folder);
    lxw_workbook_options options{};
    options.tmpdir = tempFolder.data();
    lxw_workbook *book = workbook_new_opt(nativePath.constData(), &options);
    lxw_worksheet *sheet = book ? workbook_add_worksheet(book, nullptr) : nullptr;
    if (!sheet) {
        if (book)
            lxw_workbook_free(book);
        QFile::remove(path);
        error = QStringLiteral("Cannot start a workbook");
        return nullptr;
    }
    m_books.push_back(std::make_unique<XlsxWorkbook>(book, sheet, path));
    return m_books.back().get();
}

SpreadsheetStatus XlsxApplication::show(XlsxWorkbook &book)
{
    const SpreadsheetStatus finished = book.finish();
    if (!finished.ok())
        return finished;
    if (!m_opener || !m_opener(book.path()))
        return failure(QStringLiteral("No program could open the workbook %1")
                           .arg(QDir::toNativeSeparators(book.path())));
    return {};
}

SpreadsheetStatus XlsxApplication::makeVisible()
{
    SpreadsheetStatus status;
    for (; m_shown < m_books.size(); ++m_shown) {
        const SpreadsheetStatus shown = show(*m_books[m_shown]);
        if (status.ok())
            status = shown;
    }
    return status;
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

std::unique_ptr<SpreadsheetApplication> XlsxSpreadsheetProgram::createApplication(QString &error)
{
    const PathResult folder = ensurePrivateTempFolder();
    if (!folder.ok()) {
        error = folder.error;
        return nullptr;
    }
    return std::make_unique<XlsxApplication>(folder.path, m_opener);
}

} // namespace orvanta
