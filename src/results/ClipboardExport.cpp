#include "results/ClipboardExport.h"

#include "base/DialogService.h"
#include "base/ErrorReport.h"
#include "results/ClipboardText.h"

#include <QClipboard>

#include <functional>

namespace orvanta {

namespace {

bool retry(const std::function<bool()> &attempt)
{
    bool done = false;
    for (int i = 0; i < kClipboardAttempts && !done; ++i)
        done = attempt();
    return done;
}

} // namespace

bool SystemClipboard::clear()
{
    m_clipboard.clear();
    return m_clipboard.text().isEmpty();
}

bool SystemClipboard::setText(const QString &text)
{
    m_clipboard.setText(text);
    return m_clipboard.text() == text;
}

void clearClipboardWithRetry(ClipboardAccess &clipboard)
{
    retry([&] { return clipboard.clear(); });
}

bool setClipboardTextWithRetry(ClipboardAccess &clipboard, const QString &text)
{
    return retry([&] { return clipboard.setText(text); });
}

bool copyTickedRowsToClipboard(const QAbstractItemModel &list, ClipboardAccess &clipboard)
{
    const std::optional<QString> text = clipboardText(list);
    if (!text)
        return false;
    clearClipboardWithRetry(clipboard);
    setClipboardTextWithRetry(clipboard, *text);
    return true;
}

QString clipboardConfirmation()
{
    return QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where "
                          "you normally type and press Ctrl+V to paste the clipboard.");
}

void copyResultsToClipboard(const QAbstractItemModel &list, ClipboardAccess &clipboard,
                            const ExportHost &host, const QString &locationTag)
{
    TrappedOperation operation(locationTag, host.errors);
    bool copied = true;
    operation.step([&] { copied = copyTickedRowsToClipboard(list, clipboard); });
    operation.step([&] {
        host.dialogs.message(copied ? clipboardConfirmation() : QLatin1String(kNothingTicked),
                             host.title);
    });
}

} // namespace orvanta
