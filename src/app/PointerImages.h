#pragma once

#include <QCursor>
#include <QString>

#include <optional>

namespace orvanta {

// A pointer from a Windows cursor file (.cur), with the hot spot the file stores; nothing when
// the file is missing or unreadable.
std::optional<QCursor> loadCursorFile(const QString &path);

} // namespace orvanta
