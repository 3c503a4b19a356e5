#pragma once

#include <QString>

class QAbstractItemModel;

namespace orvanta {

// The results list as the exports read it: header texts, cell texts and tick states of a
// table model (the tick is the check state of column 0). Rows and columns count from 0. The
// exports keep their layout of phrase, word count and frequency, so later columns are not read.
class ListTable {
public:
    static constexpr int kExportedColumns = 3;

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
