#pragma once

// The one way results are written out: as text, as CSV, as an .xlsx workbook or as clipboard
// text, from the rows an export is given (results/ExportRows.h).

#include "base/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <stop_token>

namespace orvanta {

class ExportRows;
class OutputFile;

inline constexpr auto kCsvFilter = "CSV Files (*.csv)";
inline constexpr auto kWorkbookFilter = "Excel Workbooks (*.xlsx)";

// Each writes every row to the opened file, or says why not in words that follow "Cannot write
// PATH: ". A stop request ends the write with a failure.

// The first cell of every row, each line ended by CR LF, UTF-8 without a byte-order mark; no
// header.
Status writeText(ExportRows &rows, OutputFile &file, std::stop_token stop = {});

// The headers and then the rows as CSV records (RFC 4180, UTF-8), each ended by CR LF.
Status writeCsv(ExportRows &rows, OutputFile &file, std::stop_token stop = {});

// One sheet, "Phrases": the headers in row 1, frozen and with a filter, then row r of the rows
// in sheet row r + 2. Numbers are numbers and texts texts, never formulas; every column is as
// wide as its longest text. A text longer than a sheet's cell holds leaves its cell empty and is
// named in `skipped`; the rest is written.
Status writeWorkbook(ExportRows &rows, OutputFile &file, std::stop_token stop = {},
                     QStringList *skipped = nullptr);

// The rows that are not left out as padded columns: each cell padded with spaces to the widest
// cell of its column over all rows, left out or not, cells parted by tabs, trailing spaces cut,
// CR LF after every line. Nothing when every row is left out.
std::optional<QString> clipboardText(ExportRows &rows);

using ExportWriter = std::function<Status(ExportRows &, OutputFile &, std::stop_token)>;

// Writes the file at `path` through OutputFile, so that it replaces what was there only once it
// is complete: "Cannot create PATH: why" when it cannot be opened, "Cannot write PATH: why" when
// writing or finishing it fails.
Status exportToFile(const QString &path, ExportRows &rows, const ExportWriter &write,
                    std::stop_token stop = {});

// One field of a CSV record as RFC 4180 has it: quoted, with its quotes doubled, when it holds
// a comma, a quote, a CR or an LF; otherwise as it is.
QByteArray csvField(QByteArrayView text);
void appendCsvField(QByteArray &out, QByteArrayView text);

// Cell text as an .xlsx file holds it. XML cannot carry most control characters (the form feed
// that stays inside words among them), so every character it cannot hold is written in the
// workbook escape _xHHHH_, which spreadsheet programs turn back into the character; a literal
// _xHHHH_ in the text is guarded as _x005F_xHHHH_ so it is not taken for one.
QString escapeForWorkbook(const QString &text);

// The version of the workbook library this program runs with, "1.1.4".
QString workbookLibraryVersion();

} // namespace orvanta
