#pragma once

#include <QString>

namespace orvanta {

// Tidies a Windows path after names were joined with "\": every pair of adjacent backslashes
// becomes one, in one left-to-right pass over non-overlapping pairs (so three become two and
// four become two). A path that begins with a backslash keeps a leading run of exactly two
// backslashes (a network path), whatever the length of its original leading run. Forward slashes
// are left alone.
QString collapseBackslashes(const QString &path);

// The same for a path joined with "/", except that a leading run of slashes becomes exactly one
// (an absolute path). Backslashes are left alone.
QString collapseSlashes(const QString &path);

} // namespace orvanta
