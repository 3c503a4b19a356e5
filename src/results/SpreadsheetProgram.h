#pragma once

#include "base/Result.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace orvanta {

// The calls the workbook export makes, shaped like a spreadsheet program's automation
// interface: a program starts an application, the application adds workbooks, a workbook has
// an active sheet that takes cell texts. Rows and columns count from 1.
class SpreadsheetSheet {
public:
    virtual ~SpreadsheetSheet() = default;
    // The cell holds the text as text, never as a number or a formula.
    virtual Status setCellText(int row, int column, const QString &text) = 0;
    virtual Status setCellNumber(int row, int column, double number) = 0;
    // Fits the column to the longest text it holds now.
    virtual Status fitColumn(int column) = 0;
    virtual Status fitAllColumns() = 0;
};

class SpreadsheetWorkbook {
public:
    virtual ~SpreadsheetWorkbook() = default;
    virtual SpreadsheetSheet &activeSheet() = 0;
};

class SpreadsheetApplication {
public:
    virtual ~SpreadsheetApplication() = default;
    // The new workbook belongs to the application.
    virtual Result<SpreadsheetWorkbook *> addWorkbook() = 0;
    // Hands the workbooks to the user, who saves them where they like. Gives the workbooks no
    // program took, which the user can still open from where they lie.
    virtual Result<QStringList> makeVisible() = 0;
};

class SpreadsheetProgram {
public:
    virtual ~SpreadsheetProgram() = default;
    // Whether the user has a program to look at a workbook with. Never fails.
    virtual bool isInstalled() = 0;
    virtual Result<std::unique_ptr<SpreadsheetApplication>> createApplication() = 0;
};

} // namespace orvanta
