#pragma once

#include <QString>

namespace orvanta {

// Opens the file with the desktop's default program for its type; false when none took it.
bool openWithDesktopProgram(const QString &path);

} // namespace orvanta
