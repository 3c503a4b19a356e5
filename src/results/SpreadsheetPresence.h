#pragma once

#include <QString>

namespace orvanta {

inline constexpr auto kXlsxMimeType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

// LibreOffice, Gnumeric or OnlyOffice as found on PATH, or empty.
QString spreadsheetProgramOnPath();

// True when the desktop names a default program for .xlsx files (asked through xdg-mime when
// that is installed) or LibreOffice, Gnumeric or OnlyOffice is on PATH. Never fails.
bool spreadsheetProgramFound();

} // namespace orvanta
