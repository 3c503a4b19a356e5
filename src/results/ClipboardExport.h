#pragma once

#include <QString>

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

} // namespace orvanta
