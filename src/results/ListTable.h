#pragma once

#include <QString>

class QAbstractItemModel;

namespace orvanta {

// The results list as the exports read it: header texts, cell texts and tick states of a
// table model (the tick is the check state of column 0). Rows and columns count from 0.
class ListTable {
public:
    explicit ListTable(const QAbstractItemModel &model)
        : m_model(model)
    {
    }

    int rowCount() const;
    int columnCount() const;
    QString headerText(int column) const;
    QString cellText(int row, int column) const;
    bool isTicked(int row) const;

private:
    const QAbstractItemModel &m_model;
};

} // namespace orvanta
