#pragma once

#include "base/Result.h"

#include <QImage>
#include <QRect>
#include <QString>

namespace orvanta {

// A PDF page drawn with a phrase marked wherever it stands on it.
struct PhrasePage {
    QImage image;
    int marks = 0; // places where the phrase was found and marked
    QRect chosen;  // the chosen place, in image pixels; empty when it was not found
};

// Draws page `page` (from 1) of the PDF at `path` at `dpi` dots per inch. Every place where
// `phrase` stands (in any case, a line break between words allowed) is marked, and the
// `chosen`-th of them (from 0, in text order) more strongly. Says why when the page cannot be
// drawn: no PDF, a password, no such page.
Result<PhrasePage> drawPhrasePage(const QString &path, int page, const QString &phrase, int chosen,
                                  double dpi);

} // namespace orvanta
