#pragma once

#include <QString>

namespace orvanta {

// Where the files the programs read at run time (pointer images, skin, sample PDFs) are: the
// installed data folder "../share/orvanta" beside the executable's folder when that folder
// exists, otherwise the executable's folder itself, as in a build folder.
QString dataFolder(const QString &executableDir);

} // namespace orvanta
