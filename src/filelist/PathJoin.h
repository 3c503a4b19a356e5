#pragma once

#include <QString>

namespace orvanta {

// Tidies a path after names were joined with "/": every pair of adjacent slashes becomes one, in
// one left-to-right pass over non-overlapping pairs (so three become two and four become two),
// and a leading run of slashes becomes exactly one (an absolute path).
QString collapseSlashes(const QString &path);

} // namespace orvanta
