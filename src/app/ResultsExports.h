#pragma once

#include "app/PointerMode.h"

#include <QObject>
#include <QString>

#include <functional>

namespace orvanta {

class ClipboardAccess;
class DialogService;
class ErrorSink;
class ExportFlow;
class ResultsModel;

inline constexpr auto kTextSaveTitle = "Save";
// Windows' "All Files (*.*)" matches names without a dot too; "*" is that here.
inline constexpr auto kTextSaveFilter = "Text Files (*.txt);;All Files (*)";
inline constexpr auto kSpreadsheetMissingForSoftware =
    "Excel is not installed on this computer. You need to have it installed to use this "
    "software without error.";
inline constexpr auto kSpreadsheetMissingForFeature =
    "Excel is not installed on this computer. You need to have it installed to use this "
    "feature.";
inline constexpr auto kNothingTicked =
    "No rows are ticked, so nothing was copied and the clipboard still holds what it held. Tick "
    "the rows to copy first.";

QString clipboardConfirmation();

// The main window's three ways out for its results list. Failures are reported to the window's
// error box under the operation's location tag.
class ResultsExports final : public QObject {
    Q_OBJECT
public:
    struct Window {
        DialogService &dialogs;
        ErrorSink &errors;
        QString title; // of every message box
        std::function<void(PointerMode)> setPointer;
    };
    using Opener = std::function<bool(const QString &path)>;

    ResultsExports(const ResultsModel &list, Window window, QObject *parent = nullptr);

    // "Save Results As Text File": asks for a file and writes the phrase of every row, ticked
    // or not, in list order, one line each. The hourglass shows while it writes and the arrow
    // after; a cancelled dialog or a No leaves the pointer alone.
    void saveAsText(const QString &locationTag);
    // "Copy Results To Clipboard": the ticked rows as padded columns, then a confirmation; with
    // no row ticked the clipboard is left alone and the user is told to tick rows first.
    void copyToClipboard(ClipboardAccess &clipboard, const QString &locationTag);
    // "Save Results As Excel File": the header and each ticked row r (from 1) in sheet row r + 1,
    // the rows of unticked ones left empty, written to a new workbook in the private folder and
    // handed to the desktop's spreadsheet program; the user saves it where they like. Without a
    // spreadsheet program it says so twice and does nothing; an empty list does nothing.
    void openInSpreadsheet(const QString &locationTag);

    // What a written workbook is handed to; the desktop's program for .xlsx by default.
    void setWorkbookOpener(Opener open) { m_openWorkbook = std::move(open); }
    bool isRunning() const;
    // Stops a write under way and waits for it to end.
    void stop();

signals:
    // A file export has ended, written or not.
    void finished();

private:
    void handOver(const QString &workbook);

    const ResultsModel &m_list;
    Window m_window;
    ExportFlow *m_flow;
    Opener m_openWorkbook;
};

} // namespace orvanta
