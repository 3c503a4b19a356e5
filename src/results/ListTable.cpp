#include "results/ListTable.h"

#include <QAbstractItemModel>

#include <algorithm>

namespace orvanta {

int ListTable::rowCount() const
{
    return m_model.rowCount();
}

int ListTable::columnCount() const
{
    return std::min(m_model.columnCount(), kExportedColumns);
}

QString ListTable::headerText(int column) const
{
    return m_model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

QString ListTable::cellText(int row, int column) const
{
    return m_model.data(m_model.index(row, column), Qt::DisplayRole).toString();
}

bool ListTable::isTicked(int row) const
{
    return m_model.data(m_model.index(row, 0), Qt::CheckStateRole).toInt() == Qt::Checked;
}

} // namespace orvanta
