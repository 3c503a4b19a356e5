#pragma once

#include "results/ExportRows.h"

#include <QStringList>

#include <vector>

namespace orvanta {

// Rows with any headers and cell texts, for what the results list never makes (an empty cell,
// quotes, control characters). An unticked row is left out.
class TextRows final : public ExportRows {
public:
    struct Row {
        QStringList cells;
        bool ticked = true;
    };

    TextRows(QStringList headers, std::vector<Row> rows)
        : m_headers(std::move(headers))
        , m_rows(std::move(rows))
    {
    }

    QStringList headers() const override { return m_headers; }
    qsizetype rowCount() const override { return qsizetype(m_rows.size()); }
    std::span<const ExportCell> cells(qsizetype row) override
    {
        m_bytes.clear();
        m_cells.clear();
        for (const QString &cell : m_rows[size_t(row)].cells)
            m_bytes.push_back(cell.toUtf8());
        for (const QByteArray &bytes : m_bytes)
            m_cells.push_back({bytes});
        return m_cells;
    }
    bool isLeftOut(qsizetype row) const override { return !m_rows[size_t(row)].ticked; }

private:
    QStringList m_headers;
    std::vector<Row> m_rows;
    std::vector<QByteArray> m_bytes;
    std::vector<ExportCell> m_cells;
};

} // namespace orvanta
