#include "results/ClipboardExport.h"

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

} // namespace orvanta
