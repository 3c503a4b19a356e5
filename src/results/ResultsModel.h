#pragma once

#include "phrases/PhraseResults.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace orvanta {

// The results list: one row per repeated phrase of the last run, in the order the run gave,
// each with a tick box on its first column. Holds the run's compact results plus five bytes per
// result; the texts are made when a cell is asked for. A result is named by its index in
// phrases(); rows list those indexes in ascending order, so a removal keeps the run's order.
class ResultsModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column : int { PhraseColumn, WordCountColumn, FrequencyColumn, FilesColumn, ColumnCount };

    explicit ResultsModel(QObject *parent = nullptr);

    void setResults(PhraseResults results);
    void clear();
    void removeRowAt(int row);
    // Takes every listed result among `ids` off the list in one layout change.
    void removeResults(std::span<const std::uint32_t> ids);

    QString headerText(int column) const;
    QString cellText(int row, int column) const;
    bool isTicked(int row) const;
    void setTicked(int row, bool ticked);

    // The results of the last run; shared so that work off the window thread can keep reading
    // them after the list has moved on.
    const std::shared_ptr<const PhraseResults> &phrases() const { return m_results; }
    // The results still listed, in list order.
    std::span<const std::uint32_t> listedResults() const { return m_rows; }
    std::uint32_t resultAt(int row) const { return m_rows[size_t(row)]; }
    bool isListed(std::uint32_t result) const;
    bool isResultTicked(std::uint32_t result) const;
    // Ticks or unticks every listed result among `ids`, with one change signal for them all.
    void setResultsTicked(std::span<const std::uint32_t> ids, bool ticked);
    void setAllTicked(bool ticked);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    enum Flag : std::uint8_t { Ticked = 1, Removed = 2 };

    bool isValidRow(int row) const { return row >= 0 && row < rowCount(); }
    bool isValidCell(const QModelIndex &index) const;
    void emitTicksChanged();

    std::shared_ptr<const PhraseResults> m_results;
    std::vector<std::uint32_t> m_rows;
    std::vector<std::uint8_t> m_flags; // one per result
};

} // namespace orvanta
