#pragma once

#include "results/ConcordanceOrder.h"
#include "results/ExportRows.h"

#include <array>
#include <vector>

namespace orvanta {

// Concordance lines as an export writes them: file, page, line number, left, phrase, right.
class ConcordanceRows final : public ExportRows {
public:
    explicit ConcordanceRows(std::vector<ConcordanceLine> lines);

    QStringList headers() const override;
    qsizetype rowCount() const override { return qsizetype(m_lines.size()); }
    std::span<const ExportCell> cells(qsizetype row) override;

private:
    std::vector<ConcordanceLine> m_lines;
    std::array<QByteArray, 4> m_texts; // file, left, phrase, right of the row asked for last
    std::array<ExportCell, kConcordanceColumns.size()> m_cells{};
};

} // namespace orvanta
