#include "results/SpreadsheetExport.h"

#include "base/DialogService.h"
#include "base/ErrorReport.h"
#include "results/DesktopOpener.h"
#include "results/ListTable.h"

namespace orvanta {

namespace {

// The numbers that failure reports name, one per statement of the operation.
enum Line : int {
    kPresenceLine = 100,
    kRowCountLine = 102,
    kHourglassLine = 104,
    kCreateLine = 106,
    kAddWorkbookLine = 108,
    kActiveSheetLine = 110,
    kHeaderCellLine = 112,
    kFitColumnLine = 114,
    kDataCellLine = 116,
    kFitAllLine = 118,
    kVisibleLine = 120,
    kPointerLine = 122,
};

void check(const Status &status)
{
    if (!status.ok())
        throw OperationError(status.error());
}

QString sheetText(const ListTable &list, int row, int column)
{
    QString text = list.cellText(row, column);
    if (column > 0)
        text.remove(QLatin1Char('='));
    return text;
}

// A spreadsheet program's automation turns numeric text into numbers, and users sort and sum
// the counts; the phrase stays text whatever it holds.
Status writeCell(SpreadsheetSheet &sheet, int row, int column, const QString &text)
{
    bool isNumber = false;
    const qlonglong number = text.toLongLong(&isNumber);
    if (column > 1 && isNumber)
        return sheet.setCellNumber(row, column, double(number));
    return sheet.setCellText(row, column, text);
}

// The export's state; once a call that the rest depends on has failed and been reported, the
// remaining calls are skipped rather than reported again one by one.
class SheetFiller {
public:
    SheetFiller(const ListTable &list, SpreadsheetProgram &program, const ExportHost &host,
                const QString &locationTag)
        : m_list(list)
        , m_program(program)
        , m_host(host)
        , m_operation(locationTag, host.errors)
    {
    }

    bool programPresent();
    bool listHasRows();
    void run();

private:
    void open();
    void writeHeader();
    void writeRows();
    void show();

    const ListTable &m_list;
    SpreadsheetProgram &m_program;
    const ExportHost &m_host;
    TrappedOperation m_operation;
    std::unique_ptr<SpreadsheetApplication> m_application;
    SpreadsheetSheet *m_sheet = nullptr;
};

bool SheetFiller::programPresent()
{
    bool present = true;
    m_operation.step(kPresenceLine, [&] {
        present = saveResultsAsExcelFileIsExcelInstalled(m_program, m_host.dialogs, m_host.title);
        if (!present)
            m_host.dialogs.message(QLatin1String(kSpreadsheetMissingForFeature), m_host.title);
    });
    return present;
}

bool SheetFiller::listHasRows()
{
    bool rows = false;
    m_operation.step(kRowCountLine, [&] { rows = m_list.rowCount() > 0; });
    return rows;
}

void SheetFiller::open()
{
    SpreadsheetWorkbook *workbook = nullptr;
    m_operation.step(kCreateLine, [&] {
        Result<std::unique_ptr<SpreadsheetApplication>> application = m_program.createApplication();
        if (!application.ok())
            throw OperationError(application.error());
        m_application = std::move(application).value();
    });
    m_operation.step(kAddWorkbookLine, [&] {
        if (!m_application)
            return;
        const Result<SpreadsheetWorkbook *> added = m_application->addWorkbook();
        if (!added.ok())
            throw OperationError(added.error());
        workbook = *added;
    });
    m_operation.step(kActiveSheetLine, [&] {
        if (workbook)
            m_sheet = &workbook->activeSheet();
    });
}

void SheetFiller::writeHeader()
{
    for (int column = 1; m_sheet && column <= m_list.columnCount(); ++column) {
        m_host.yield();
        m_operation.step(kHeaderCellLine, [&] {
            check(m_sheet->setCellText(1, column, m_list.headerText(column - 1)));
        });
        m_operation.step(kFitColumnLine, [&] { check(m_sheet->fitColumn(column)); });
    }
}

void SheetFiller::writeRows()
{
    const int columns = m_list.columnCount();
    // The sheet row advances for every list row, so unticked rows stay empty in the sheet.
    for (int row = 0; m_sheet && row < m_list.rowCount(); ++row) {
        m_host.yield();
        if (!m_list.isTicked(row))
            continue;
        for (int column = 0; column < columns; ++column) {
            m_operation.step(kDataCellLine, [&] {
                check(writeCell(*m_sheet, row + 2, column + 1, sheetText(m_list, row, column)));
            });
        }
    }
}

void SheetFiller::show()
{
    m_operation.step(kFitAllLine, [&] {
        if (m_sheet)
            check(m_sheet->fitAllColumns());
    });
    m_operation.step(kVisibleLine, [&] {
        if (!m_application)
            return;
        const Result<QStringList> unopened = m_application->makeVisible();
        if (!unopened.ok())
            throw OperationError(unopened.error());
        // Not an error report: the user can open the file from where it lies.
        for (const QString &path : *unopened)
            m_host.dialogs.message(cannotOpenMessage(path), m_host.title);
    });
}

void SheetFiller::run()
{
    m_operation.step(kHourglassLine, [&] { m_host.pointer(Hourglass); });
    open();
    writeHeader();
    writeRows();
    show();
    m_operation.step(kPointerLine, [&] { m_host.pointer(DefaultPointer); });
}

} // namespace

bool saveResultsAsExcelFileIsExcelInstalled(SpreadsheetProgram &program, DialogService &dialogs,
                                            const QString &title)
{
    if (program.isInstalled())
        return true;
    dialogs.message(QLatin1String(kSpreadsheetMissingForSoftware), title);
    return false;
}

void saveResultsAsExcelFile(const QAbstractItemModel &model, SpreadsheetProgram &program,
                            const ExportHost &host, const QString &locationTag)
{
    const ListTable list(model);
    SheetFiller filler(list, program, host, locationTag);
    if (filler.programPresent() && filler.listHasRows())
        filler.run();
}

} // namespace orvanta
