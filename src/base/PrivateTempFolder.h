#pragma once

#include <QString>

namespace orvanta {

// A path, or the message that says why there is none.
struct PathResult {
    QString path;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// This user's temporary folder: $TMPDIR (or /tmp) + "/orvanta-" + the numeric user id.
QString privateTempFolderPath();

// Where the converter is kept while the program runs.
QString converterPath();

// Creates the folder with mode 0700 when absent. An existing one is used only when it is a real
// folder (not a symbolic link) owned by this user that neither group nor others can write:
// otherwise another local user could plant a converter there that we would run.
PathResult ensurePrivateTempFolder();

} // namespace orvanta
