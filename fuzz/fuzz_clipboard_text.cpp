// The clipboard text of a list with any cell texts and ticks.
#include "FuzzSupport.h"
#include "results/ExportWriters.h"
#include "results/TextRows.h"

#include <algorithm>

using namespace orvanta;
using namespace orvanta::fuzz;

namespace {

constexpr int kColumns = 3;

// Rows are lines of the input, cells separated by tabs; a row is ticked when it starts with
// "+", which is not part of its first cell.
std::vector<TextRows::Row> rowsFrom(const QString &input)
{
    std::vector<TextRows::Row> rows;
    if (input.isEmpty())
        return rows;
    for (QString line : input.split(QLatin1Char('\n'))) {
        TextRows::Row row;
        row.ticked = line.startsWith(QLatin1Char('+'));
        if (row.ticked)
            line.remove(0, 1);
        row.cells = line.split(QLatin1Char('\t')).mid(0, kColumns);
        while (row.cells.size() < kColumns)
            row.cells += QString();
        rows.push_back(row);
    }
    return rows;
}

QString withoutTrailingSpaces(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::vector<TextRows::Row> rows = rowsFrom(QString::fromUtf8(bytes(data, size)));
    TextRows list(
        {QStringLiteral(" Phrase"), QStringLiteral(" Word Count"), QStringLiteral("Frequency")},
        rows);
    const std::optional<QString> text = clipboardText(list);
    const bool anyTicked =
        std::any_of(rows.begin(), rows.end(), [](const auto &row) { return row.ticked; });
    check(text.has_value() == anyTicked, "a text exactly when a row is ticked");
    if (!text)
        return 0;

    qsizetype widths[kColumns] = {};
    for (const auto &row : rows) {
        for (int c = 0; c < kColumns; ++c)
            widths[c] = std::max(widths[c], row.cells[c].size());
    }
    QStringList lines = text->split(QStringLiteral("\r\n"));
    check(lines.takeLast().isEmpty(), "every line ends with CR LF");
    auto line = lines.cbegin();
    for (const auto &row : rows) {
        if (!row.ticked)
            continue;
        check(line != lines.cend(), "a line per ticked row");
        const QStringList pieces = line->split(QLatin1Char('\t'));
        check(pieces.size() == kColumns, "a tab between cells", *line);
        for (int c = 0; c + 1 < kColumns; ++c)
            check(pieces[c] == row.cells[c].leftJustified(widths[c]), "padded cell", *line);
        check(pieces[kColumns - 1] == withoutTrailingSpaces(row.cells[kColumns - 1]),
              "last cell without trailing spaces", *line);
        ++line;
    }
    check(line == lines.cend(), "no line for an unticked row");
    return 0;
}
