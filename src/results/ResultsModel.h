#pragma once

#include "phrases/PhraseResults.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

namespace orvanta {

// The results list: one row per repeated phrase of the last run, in the order the run gave,
// each with a tick box on its first column. Holds the run's compact results plus four bytes per
// row; the texts are made when a cell is asked for.
class ResultsModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column : int { PhraseColumn, WordCountColumn, FrequencyColumn, FilesColumn, ColumnCount };

    explicit ResultsModel(QObject *parent = nullptr);

    void setResults(PhraseResults results);
    void clear();
    void removeRowAt(int row);

    QString headerText(int column) const;
    QString cellText(int row, int column) const;
    bool isTicked(int row) const;
    void setTicked(int row, bool ticked);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // Each row is the index of its phrase in m_results, with the tick in the top bit, so that
    // removing a row moves its tick along with it in one shift.
    static constexpr std::uint32_t kTickBit = 0x80000000u;

    bool isValidRow(int row) const { return row >= 0 && row < rowCount(); }
    bool isValidCell(const QModelIndex &index) const;
    qsizetype resultIndex(int row) const { return qsizetype(m_rows[size_t(row)] & ~kTickBit); }

    PhraseResults m_results;
    std::vector<std::uint32_t> m_rows;
};

} // namespace orvanta
