#pragma once

#include "phrases/DocumentOverlap.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>

#include <vector>

namespace orvanta {

// The colour of a matrix cell whose pair shares this part (0 to 1) of its larger file's words:
// white for nothing, deepening to a strong red for everything.
QColor shareColour(double share);

// Every file against every other: each cell the larger share of its pair, coloured by it, its
// tooltip naming both files and both shares. Only for lists of at most kMostFiles files.
class OverlapMatrixModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kMostFiles = 300;

    explicit OverlapMatrixModel(QObject *parent = nullptr);

    // False, leaving the matrix empty, for more than kMostFiles files.
    bool setPairs(const QStringList &paths, const std::vector<OverlapPair> &pairs);
    void clear();
    // The larger share of the pair of two files (0 for a file with itself or no shared words).
    double largerShare(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const OverlapPair *pairAt(int row, int column) const;

    QStringList m_paths;
    QStringList m_names;
    std::vector<OverlapPair> m_pairs;
    std::vector<int> m_pairOf; // by row * files + column: index into m_pairs, or -1
};

} // namespace orvanta
