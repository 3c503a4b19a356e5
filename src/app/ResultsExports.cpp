#include "app/ResultsExports.h"

#include "app/ExportFlow.h"
#include "base/DialogService.h"
#include "base/ErrorReport.h"
#include "base/PrivateFolder.h"
#include "results/ClipboardExport.h"
#include "results/DesktopOpener.h"
#include "results/ExportRows.h"
#include "results/ResultsModel.h"
#include "results/SpreadsheetPresence.h"

#include <QFile>

namespace orvanta {

namespace {

// The numbers that reports name, one per step; a failed write is the export flow's 102.
constexpr int kChooseLine = 100;
constexpr int kCreateLine = 104;
constexpr int kHandOverLine = 106;

} // namespace

QString clipboardConfirmation()
{
    return QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where "
                          "you normally type and press Ctrl+V to paste the clipboard.");
}

ResultsExports::ResultsExports(const ResultsModel &list, Window window, QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_window(std::move(window))
    , m_flow(new ExportFlow(m_window.dialogs, m_window.title, this))
{
}

bool ResultsExports::isRunning() const
{
    return m_flow->isRunning();
}

void ResultsExports::stop()
{
    m_flow->stop();
}

void ResultsExports::saveAsText(const QString &locationTag)
{
    if (m_flow->isRunning())
        return;
    TrappedOperation operation(locationTag, m_window.errors);
    QString path;
    operation.step(kChooseLine, [&] {
        path = m_flow->askPath(QLatin1String(kTextSaveTitle), QLatin1String(kTextSaveFilter));
    });
    if (path.isEmpty())
        return;
    m_window.setPointer(Hourglass);
    m_flow->start(path, std::make_shared<ListRows>(m_list, ListRows::Rows::All),
                  ExportFlow::Format::Text, {&m_window.errors, locationTag},
                  [this](const ExportFlow::Outcome &) {
                      m_window.setPointer(ArrowPointer);
                      emit finished();
                  });
}

void ResultsExports::copyToClipboard(ClipboardAccess &clipboard, const QString &locationTag)
{
    TrappedOperation operation(locationTag, m_window.errors);
    bool copied = true;
    operation.step([&] {
        ListRows ticked(m_list, ListRows::Rows::TickedOnly);
        const std::optional<QString> text = clipboardText(ticked);
        copied = text.has_value();
        if (!copied)
            return;
        clearClipboardWithRetry(clipboard);
        setClipboardTextWithRetry(clipboard, *text);
    });
    operation.step([&] {
        m_window.dialogs.message(copied ? clipboardConfirmation() : QLatin1String(kNothingTicked),
                                 m_window.title);
    });
}

void ResultsExports::openInSpreadsheet(const QString &locationTag)
{
    if (m_flow->isRunning())
        return;
    TrappedOperation operation(locationTag, m_window.errors);
    bool present = true;
    operation.step(kChooseLine, [&] {
        present = spreadsheetProgramFound();
        if (present)
            return;
        m_window.dialogs.message(QLatin1String(kSpreadsheetMissingForSoftware), m_window.title);
        m_window.dialogs.message(QLatin1String(kSpreadsheetMissingForFeature), m_window.title);
    });
    if (!present || m_list.rowCount() == 0)
        return;
    m_window.setPointer(Hourglass);
    QString path;
    operation.step(kCreateLine, [&] {
        const Result<QString> created =
            createPrivateFile(QStringLiteral("Results-"), QStringLiteral(".xlsx"));
        if (!created.ok())
            throw OperationError(created.error());
        path = *created;
    });
    if (path.isEmpty()) {
        m_window.setPointer(DefaultPointer);
        return;
    }
    m_flow->start(path, std::make_shared<ListRows>(m_list, ListRows::Rows::TickedOnly),
                  ExportFlow::Format::Workbook, {&m_window.errors, locationTag},
                  [this, locationTag](const ExportFlow::Outcome &outcome) {
                      if (outcome.written) {
                          TrappedOperation(locationTag, m_window.errors).step(kHandOverLine, [&] {
                              handOver(outcome.path);
                          });
                      } else {
                          QFile::remove(outcome.path);
                      }
                      m_window.setPointer(DefaultPointer);
                      emit finished();
                  });
}

// Not an error report when nothing takes the workbook: the user can open it from where it lies.
void ResultsExports::handOver(const QString &workbook)
{
    if (!(m_openWorkbook ? m_openWorkbook : openWorkbook)(workbook))
        m_window.dialogs.message(cannotOpenMessage(workbook), m_window.title);
}

} // namespace orvanta
