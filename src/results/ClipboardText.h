#pragma once

#include <QString>

#include <optional>

class QAbstractItemModel;

namespace orvanta {

// The ticked rows of the list as the clipboard gets them: one line per ticked row, each cell
// padded with spaces to the widest cell of its column over all rows, ticked or not, cells
// separated by tabs, trailing spaces cut, CR LF after every line. Nothing when no row is
// ticked: the clipboard is then left alone.
std::optional<QString> clipboardText(const QAbstractItemModel &list);

} // namespace orvanta
