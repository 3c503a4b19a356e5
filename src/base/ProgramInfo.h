#pragma once

#include <QString>
#include <QStringList>

namespace orvanta {

// The version this build was made as, "0.1.0".
QString programVersion();

// The About box's text: name, version, what the program does and its licence.
QString aboutText();

// The program's icon as installed: one picture per size, beside the installed data folder
// ("../icons/hicolor/NxN/apps"), largest first; empty when none is there, as in a build folder.
QStringList programIconFiles(const QString &dataDir);

} // namespace orvanta
