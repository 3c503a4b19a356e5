#pragma once

#include "results/SpreadsheetProgram.h"

#include <functional>

namespace orvanta {

// Shows a finished workbook file to the user; false when no program took it.
using WorkbookOpener = std::function<bool(const QString &path)>;

// Cell text as an .xlsx file holds it. XML cannot carry most control characters (the form
// feed that stays inside words among them), so every character it cannot hold is written in
// the workbook escape _xHHHH_, which spreadsheet programs turn back into the character; a
// literal _xHHHH_ in the text is guarded as _x005F_xHHHH_ so it is not taken for one.
QString escapeForWorkbook(const QString &text);

// The spreadsheet program of this desktop. Each workbook is an .xlsx file written with
// libxlsxwriter into the private temporary folder under a new name; every cell is text.
// "Visible" finishes the files and hands each to the opener. The presence test defaults to
// spreadsheetProgramFound().
class XlsxSpreadsheetProgram final : public SpreadsheetProgram {
public:
    explicit XlsxSpreadsheetProgram(WorkbookOpener opener, std::function<bool()> presence = {});

    bool isInstalled() override;
    Result<std::unique_ptr<SpreadsheetApplication>> createApplication() override;

private:
    WorkbookOpener m_opener;
    std::function<bool()> m_presence;
};

} // namespace orvanta
