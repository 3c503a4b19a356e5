#pragma once

#include <QString>

#include <memory>

namespace orvanta {

// The outcome of one call into a spreadsheet program: empty error when it was done.
struct SpreadsheetStatus {
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// The calls the workbook export makes, shaped like a spreadsheet program's automation
// interface: a program starts an application, the application adds workbooks, a workbook has
// an active sheet that takes cell texts. Rows and columns count from 1.
class SpreadsheetSheet {
public:
    virtual ~SpreadsheetSheet() = default;
    // The cell holds the text as text, never as a number or a formula.
    virtual SpreadsheetStatus setCellText(int row, int column, const QString &text) = 0;
    // Fits the column to the longest text it holds now.
    virtual SpreadsheetStatus fitColumn(int column) = 0;
    virtual SpreadsheetStatus fitAllColumns() = 0;
};

class SpreadsheetWorkbook {
public:
    virtual ~SpreadsheetWorkbook() = default;
    virtual SpreadsheetSheet &activeSheet() = 0;
};

class SpreadsheetApplication {
public:
    virtual ~SpreadsheetApplication() = default;
    // The new workbook belongs to the application; nullptr with the reason when it failed.
    virtual SpreadsheetWorkbook *addWorkbook(QString &error) = 0;
    // Hands the workbooks to the user, who saves them where they like.
    virtual SpreadsheetStatus makeVisible() = 0;
};

class SpreadsheetProgram {
public:
    virtual ~SpreadsheetProgram() = default;
    // Whether the user has a program to look at a workbook with. Never fails.
    virtual bool isInstalled() = 0;
    // A new application; nullptr with the reason when it cannot be started.
    virtual std::unique_ptr<SpreadsheetApplication> createApplication(QString &error) = 0;
};

} // namespace orvanta
