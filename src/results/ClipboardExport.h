#pragma once

#include "results/ExportHost.h"

class QAbstractItemModel;
class QClipboard;

namespace orvanta {

// One attempt at a clipboard operation; false when the clipboard refused it.
class ClipboardAccess {
public:
    virtual ~ClipboardAccess() = default;
    virtual bool clear() = 0;
    virtual bool setText(const QString &text) = 0;
};

// The desktop's clipboard through QClipboard. An attempt counts as done when the clipboard
// then holds what was asked for.
class SystemClipboard final : public ClipboardAccess {
public:
    explicit SystemClipboard(QClipboard &clipboard)
        : m_clipboard(clipboard)
    {
    }

    bool clear() override;
    bool setText(const QString &text) override;

private:
    QClipboard &m_clipboard;
};

inline constexpr int kClipboardAttempts = 1000;

// Each tries its operation until it succeeds, at most kClipboardAttempts times in all, and
// never reports a failure.
void clearClipboardWithRetry(ClipboardAccess &clipboard);
// True when the last attempt placed the text.
bool setClipboardTextWithRetry(ClipboardAccess &clipboard, const QString &text);

inline constexpr auto kNothingTicked =
    "No rows are ticked, so nothing was copied and the clipboard still holds what it held. Tick "
    "the rows to copy first.";

// Puts the ticked rows on the clipboard as clipboardText() lays them out. With no row ticked
// the clipboard is left alone and the result is false.
bool copyTickedRowsToClipboard(const QAbstractItemModel &list, ClipboardAccess &clipboard);

QString clipboardConfirmation();

// "Copy Results To Clipboard" copies the ticked rows and shows the
// confirmation, or says that rows must be ticked first. Does not touch the pointer.
void copyResultsToClipboard(const QAbstractItemModel &list, ClipboardAccess &clipboard,
                            const ExportHost &host, const QString &locationTag);

} // namespace orvanta
