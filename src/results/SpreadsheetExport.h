#pragma once

#include "results/ExportHost.h"
#include "results/SpreadsheetProgram.h"

class QAbstractItemModel;

namespace orvanta {

inline constexpr auto kSpreadsheetMissingForSoftware =
    "Excel is not installed on this computer. You need to have it installed to use this "
    "software without error.";
inline constexpr auto kSpreadsheetMissingForFeature =
    "Excel is not installed on this computer. You need to have it installed to use this "
    "feature.";

// SaveResultsAsExcelFileIsExcelInstalled: true when the program can show a workbook; otherwise
// says that it is missing and returns false. Never reports an error.
bool saveResultsAsExcelFileIsExcelInstalled(SpreadsheetProgram &program, DialogService &dialogs,
                                            const QString &title);

// "Save Results As Excel File" writes the headers into row 1 and each ticked
// list row r (counted from 1) into sheet row r + 1, leaving the rows of unticked ones empty;
// "=" is taken out of every column but the first. Then shows the workbook and leaves saving it
// to the user. A missing program gives two messages and nothing else; an empty list does
// nothing. Sets the hourglass while the sheet is filled and the default pointer after it.
void saveResultsAsExcelFile(const QAbstractItemModel &list, SpreadsheetProgram &program,
                            const ExportHost &host, const QString &locationTag);

} // namespace orvanta
