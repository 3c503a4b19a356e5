#pragma once

#include "documents/TextStore.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace orvanta {

// One listed file as a counting run read it: where its occurrences and passages are looked for
// again afterwards.
struct CountedSource {
    QString path;
    std::optional<DocumentVersion> version; // a PDF whose text came from the store
    bool plainText = false;                 // a text file read as it is
    QStringList recognitionLanguages;       // set when its scanned pages were read
};

} // namespace orvanta
