#include "results/ClipboardText.h"

#include "results/ListTable.h"

#include <algorithm>
#include <vector>

namespace orvanta {

namespace {

std::vector<qsizetype> columnWidths(const ListTable &list)
{
    std::vector<qsizetype> widths(size_t(list.columnCount()), 0);
    for (int row = 0; row < list.rowCount(); ++row) {
        for (size_t column = 0; column < widths.size(); ++column)
            widths[column] = std::max(widths[column], list.cellText(row, int(column)).length());
    }
    return widths;
}

void appendCell(QString &text, const QString &cell, qsizetype width)
{
    text += cell;
    if (cell.length() <= width)
        text += QString(width - cell.length(), QLatin1Char(' '));
    text += QLatin1Char('\t');
}

void chopTrailingSpaces(QString &text)
{
    qsizetype end = text.length();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    text.truncate(end);
}

void appendLine(QString &text, const ListTable &list, int row, const std::vector<qsizetype> &widths)
{
    for (size_t column = 0; column < widths.size(); ++column)
        appendCell(text, list.cellText(row, int(column)), widths[column]);
    if (!widths.empty())
        text.chop(1); // the tab after the last cell
    chopTrailingSpaces(text);
    text += QStringLiteral("\r\n");
}

} // namespace

std::optional<QString> clipboardText(const QAbstractItemModel &model)
{
    const ListTable list(model);
    bool anyTicked = false;
    for (int row = 0; row < list.rowCount() && !anyTicked; ++row)
        anyTicked = list.isTicked(row);
    if (!anyTicked)
        return std::nullopt;
    const std::vector<qsizetype> widths = columnWidths(list);
    QString text;
    for (int row = 0; row < list.rowCount(); ++row) {
        if (list.isTicked(row))
            appendLine(text, list, row, widths);
    }
    return text;
}

} // namespace orvanta
