#pragma once

#include "phrases/DocumentOverlap.h"
#include "results/ExportRows.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <memory>
#include <vector>

namespace orvanta {

// Which pairs a list of overlapping files shows: those where either file's name holds `name`
// (any case) and whose larger share is at least `minimumShare`.
struct OverlapPairFilter {
    QString name;
    double minimumShare = 0;
    bool operator==(const OverlapPairFilter &) const = default;
};

// The pairs of files that share text, as the documents view lists them: filtered, sorted by any
// column (the rank, largest share first, before any other is chosen), the shown ones written out
// under the command line's field names.
class OverlapPairsModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int {
        FileAColumn,
        FileBColumn,
        WordsAColumn,
        WordsBColumn,
        SharedAColumn,
        SharedBColumn,
        ShareAColumn,
        ShareBColumn,
        ColumnCount
    };

    explicit OverlapPairsModel(QObject *parent = nullptr);

    // The files by number and their ranked pairs; pairs that share nothing are not listed.
    void setPairs(QStringList paths, const std::vector<OverlapPair> &pairs);
    void clear();
    void setFilter(const OverlapPairFilter &filter);
    const OverlapPairFilter &filter() const { return m_filter; }

    const QStringList &paths() const { return m_paths; }
    const OverlapPair &pairAt(int row) const { return m_pairs[m_shown[size_t(row)]]; }
    // The row that shows the pair of these two files (either order), or -1.
    int rowOfPair(std::uint32_t first, std::uint32_t second) const;
    int listedCount() const { return int(m_pairs.size()); }
    // "12 of 40 pairs".
    QString countsText() const;
    // A copy of the shown pairs, in the order shown, for an export.
    std::shared_ptr<ExportRows> shownRows() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

signals:
    // The number of pairs listed or shown may have changed.
    void countsChanged();

private:
    QString nameOf(std::uint32_t file) const { return m_names[qsizetype(file)]; }
    bool isShown(const OverlapPair &pair) const;
    void arrange();
    template <typename Less> void sortShown(Less less);

    QStringList m_paths;
    QStringList m_names;              // file names, without their folders
    std::vector<OverlapPair> m_pairs; // by rank
    std::vector<std::size_t> m_shown;
    OverlapPairFilter m_filter;
    int m_sortColumn = -1; // -1: by rank
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

// Pairs of files under the command line's field names: both paths, words, shared words and
// shares (to four decimals).
class OverlapPairRows final : public ExportRows {
public:
    OverlapPairRows(QStringList paths, std::vector<OverlapPair> pairs);

    QStringList headers() const override;
    qsizetype rowCount() const override { return qsizetype(m_pairs.size()); }
    std::span<const ExportCell> cells(qsizetype row) override;

private:
    QStringList m_paths;
    std::vector<OverlapPair> m_pairs;
    QByteArray m_text[4];
    ExportCell m_cells[8];
};

} // namespace orvanta
