#include "results/ConcordanceRows.h"

namespace orvanta {

ConcordanceRows::ConcordanceRows(std::vector<ConcordanceLine> lines)
    : m_lines(std::move(lines))
{
}

QStringList ConcordanceRows::headers() const
{
    QStringList headers;
    for (const char *column : kConcordanceColumns)
        headers << QLatin1String(column);
    return headers;
}

std::span<const ExportCell> ConcordanceRows::cells(qsizetype row)
{
    const ConcordanceLine &line = m_lines[size_t(row)];
    m_texts = {line.file.toUtf8(), line.left.toUtf8(), line.phrase.toUtf8(), line.right.toUtf8()};
    m_cells = {ExportCell{m_texts[0]},
               ExportCell{{}, line.page, true},
               ExportCell{{}, line.lineNumber, true},
               ExportCell{m_texts[1]},
               ExportCell{m_texts[2]},
               ExportCell{m_texts[3]}};
    return m_cells;
}

} // namespace orvanta
