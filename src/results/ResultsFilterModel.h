#pragma once

#include "results/ListRefinement.h"
#include "results/ResultKeyness.h"
#include "results/ResultMeasures.h"
#include "results/ResultOrder.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace orvanta {

class ResultsModel;

// The explorer's view of the results list: the listed results, sorted by any column and
// filtered, kept as a vector of result indexes over the list's own results. Ticks and removals
// go to the list, so both windows always agree. The list's order (ascending frequency, then
// phrase) is the order before any other is chosen.
class ResultsFilterModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column : int {
        PhraseColumn,
        WordsColumn,
        FrequencyColumn,
        FilesColumn,
        PerMillionColumn,
        DispersionColumn,
        TargetColumn, // the keyness columns, filled when a reference set was counted
        ReferenceColumn,
        LogLikelihoodColumn,
        LogRatioColumn,
        ColumnCount
    };

    explicit ResultsFilterModel(ResultsModel &list, QObject *parent = nullptr);

    void setFilter(const ResultFilter &filter);
    const ResultFilter &filter() const { return m_filter; }
    // What is hidden beyond the filter, and how many rows each choice hid.
    void setRefinement(const ListRefinement &refinement);
    const ListRefinement &refinement() const { return m_refinement; }
    const HiddenRows &hidden() const { return m_hidden; }
    // Per million and dispersion of the list's results; their columns stay empty and their
    // bounds pass every row until measures of the results listed now are given.
    void setMeasures(std::shared_ptr<const ResultMeasures> measures);
    std::shared_ptr<const ResultMeasures> measures() const;
    void setMeasureFilter(const MeasureFilter &filter);
    const MeasureFilter &measureFilter() const { return m_measureFilter; }
    // The keyness of the list's results against a reference set; as with the measures, its
    // columns stay empty and its filter passes every row until keyness of the results listed
    // now is given.
    void setKeyness(std::shared_ptr<const ResultKeyness> keyness);
    std::shared_ptr<const ResultKeyness> keyness() const;
    void setPresence(SetPresence presence);
    SetPresence presence() const { return m_presence; }
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // The results shown, in the order shown.
    std::span<const std::uint32_t> shownResults() const { return m_shown; }
    std::uint32_t resultAt(int row) const { return m_shown[size_t(row)]; }
    // The row that shows the result, or -1.
    int rowOfResult(std::uint32_t result) const;
    int listedCount() const;
    QString phraseAt(int row) const;
    QString cellText(int row, int column) const;

    // Ticks or unticks the rows, with one change signal.
    void setRowsTicked(std::span<const int> rows, bool ticked);
    void tickAllShown();
    // Unticks every listed result, shown or not, so no hidden tick reaches an export.
    void untickAll();
    // Takes the rows' results off the list, with one layout change.
    void removeShownRows(std::span<const int> rows);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

signals:
    // The number shown or the number listed has changed.
    void countsChanged();

private:
    bool isValidCell(const QModelIndex &index) const;
    std::vector<std::uint32_t> resultsOf(std::span<const int> rows) const;
    void rebuild();
    // The ids that pass the filter and the refinement, counting those the refinement hid.
    std::vector<std::uint32_t> passing(std::span<const std::uint32_t> ids);
    void applyOrder();
    void showColumnsAgain(int first, int last);
    QString measureText(std::uint32_t id, int column) const;
    QString keynessText(std::uint32_t id, int column) const;
    void dropUnlisted();
    void forwardTicks(const QModelIndex &first, const QModelIndex &last, const QList<int> &roles);
    void replaceShown(std::vector<std::uint32_t> shown);

    ResultsModel &m_list;
    ResultFilter m_filter;
    int m_sortColumn = -1; // the list's order
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::vector<std::uint32_t> m_ordered; // every listed result, in the chosen order
    std::vector<std::uint32_t> m_shown;   // those that pass the filter
    std::shared_ptr<const ResultMeasures> m_measures;
    MeasureFilter m_measureFilter;
    std::shared_ptr<const ResultKeyness> m_keyness;
    SetPresence m_presence = SetPresence::Any;
    ListRefinement m_refinement;
    HiddenRows m_hidden;
    std::vector<bool> m_insideLonger; // over every result, once known
    bool m_insideLongerKnown = false;
};

} // namespace orvanta
