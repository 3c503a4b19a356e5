#pragma once

#include <QString>

namespace orvanta {

// Opens the file or folder with the desktop's default program for it; false when none took it.
bool openWithDesktopProgram(const QString &path);

// Opens a workbook with the desktop's program for .xlsx files, or else with the spreadsheet
// program found on PATH; false when neither took it.
bool openWorkbook(const QString &path);

// What the user is told when nothing could open a file or folder.
inline QString cannotOpenMessage(const QString &path)
{
    return QStringLiteral("This desktop has no program that could open %1. Open it yourself "
                          "from your file manager.")
        .arg(path);
}

} // namespace orvanta
