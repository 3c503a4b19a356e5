#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace orvanta {

// A list with any headers and cell texts, for cells the results model never makes ("=" in a
// number, control characters). Tick states are the check state of column 0.
class TextTableModel final : public QAbstractTableModel {
public:
    struct Row {
        QStringList cells;
        bool ticked = false;
    };

    TextTableModel(QStringList headers, std::vector<Row> rows)
        : m_headers(std::move(headers))
        , m_rows(std::move(rows))
    {
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_headers.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const Row &row = m_rows[size_t(index.row())];
        if (role == Qt::DisplayRole)
            return row.cells.value(index.column());
        if (role == Qt::CheckStateRole && index.column() == 0)
            return row.ticked ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return m_headers.value(section);
    }

private:
    QStringList m_headers;
    std::vector<Row> m_rows;
};

} // namespace orvanta
