#include "results/ResultsFilterModel.h"

#include "results/ClosedPhrases.h"
#include "results/ResultsModel.h"

#include <algorithm>

namespace orvanta {

namespace {

ResultKey keyOf(int column)
{
    switch (column) {
    case ResultsFilterModel::PhraseColumn:
        return ResultKey::Phrase;
    case ResultsFilterModel::WordsColumn:
        return ResultKey::Words;
    case ResultsFilterModel::FilesColumn:
        return ResultKey::Files;
    default:
        return ResultKey::Frequency;
    }
}

bool isKeynessColumn(int column)
{
    return column >= ResultsFilterModel::TargetColumn &&
           column <= ResultsFilterModel::LogRatioColumn;
}

KeynessKey keynessKeyOf(int column)
{
    switch (column) {
    case ResultsFilterModel::TargetColumn:
        return KeynessKey::Target;
    case ResultsFilterModel::ReferenceColumn:
        return KeynessKey::Reference;
    case ResultsFilterModel::LogLikelihoodColumn:
        return KeynessKey::LogLikelihood;
    default:
        return KeynessKey::LogRatio;
    }
}

} // namespace

ResultsFilterModel::ResultsFilterModel(ResultsModel &list, QObject *parent)
    : QAbstractTableModel(parent)
    , m_list(list)
{
    connect(&m_list, &QAbstractItemModel::modelReset, this, &ResultsFilterModel::rebuild);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, &ResultsFilterModel::dropUnlisted);
    connect(&m_list, &QAbstractItemModel::layoutChanged, this, &ResultsFilterModel::dropUnlisted);
    connect(&m_list, &QAbstractItemModel::dataChanged, this, &ResultsFilterModel::forwardTicks);
    rebuild();
}

void ResultsFilterModel::rebuild()
{
    beginResetModel();
    const std::span<const std::uint32_t> listed = m_list.listedResults();
    m_ordered.assign(listed.begin(), listed.end());
    m_insideLongerKnown = false;
    applyOrder();
    m_shown = passing(m_ordered);
    endResetModel();
    emit countsChanged();
}

void ResultsFilterModel::applyOrder()
{
    if (m_sortColumn < 0)
        return;
    if (m_sortColumn == PerMillionColumn || m_sortColumn == DispersionColumn) {
        if (const auto measures = this->measures())
            sortByMeasure(m_ordered, *measures,
                          m_sortColumn == PerMillionColumn ? MeasureKey::PerMillion
                                                           : MeasureKey::Dispersion,
                          m_sortOrder);
        return;
    }
    if (isKeynessColumn(m_sortColumn)) {
        if (const auto keyness = this->keyness())
            sortByKeyness(m_ordered, *keyness, keynessKeyOf(m_sortColumn), m_sortOrder);
        return;
    }
    sortResults(m_ordered, *m_list.phrases(), keyOf(m_sortColumn), m_sortOrder);
}

void ResultsFilterModel::setMeasures(std::shared_ptr<const ResultMeasures> measures)
{
    m_measures = std::move(measures);
    showColumnsAgain(PerMillionColumn, DispersionColumn);
}

// After the numbers behind columns `first` to `last` changed: order, filter and show them again.
void ResultsFilterModel::showColumnsAgain(int first, int last)
{
    applyOrder();
    replaceShown(passing(m_ordered));
    if (!m_shown.empty())
        emit dataChanged(index(0, first), index(rowCount() - 1, last));
}

std::shared_ptr<const ResultMeasures> ResultsFilterModel::measures() const
{
    return m_measures && m_measures->results() == m_list.phrases() ? m_measures : nullptr;
}

void ResultsFilterModel::setKeyness(std::shared_ptr<const ResultKeyness> keyness)
{
    m_keyness = std::move(keyness);
    showColumnsAgain(TargetColumn, LogRatioColumn);
}

std::shared_ptr<const ResultKeyness> ResultsFilterModel::keyness() const
{
    return m_keyness && m_keyness->results() == m_list.phrases() ? m_keyness : nullptr;
}

void ResultsFilterModel::setPresence(SetPresence presence)
{
    if (presence == m_presence)
        return;
    m_presence = presence;
    replaceShown(passing(m_ordered));
}

void ResultsFilterModel::setMeasureFilter(const MeasureFilter &filter)
{
    if (filter == m_measureFilter)
        return;
    const bool narrower = m_refinement.isOff() && filter.isNarrowerThan(m_measureFilter);
    m_measureFilter = filter;
    replaceShown(passing(narrower ? std::span<const std::uint32_t>(m_shown)
                                  : std::span<const std::uint32_t>(m_ordered)));
}

void ResultsFilterModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    applyOrder();
    replaceShown(passing(m_ordered));
}

void ResultsFilterModel::setFilter(const ResultFilter &filter)
{
    if (filter == m_filter)
        return;
    // A narrower filter only ever hides rows, so it need look at the shown ones alone: typing
    // on in the filter box gets quicker with every letter. Rows a refinement hid are counted
    // anew from all of them.
    const bool narrower = m_refinement.isOff() && filter.isNarrowerThan(m_filter);
    m_filter = filter;
    replaceShown(passing(narrower ? std::span<const std::uint32_t>(m_shown)
                                  : std::span<const std::uint32_t>(m_ordered)));
}

void ResultsFilterModel::setRefinement(const ListRefinement &refinement)
{
    if (refinement == m_refinement)
        return;
    m_refinement = refinement;
    replaceShown(passing(m_ordered));
}

std::vector<std::uint32_t> ResultsFilterModel::passing(std::span<const std::uint32_t> ids)
{
    std::vector<std::uint32_t> filtered = filterResults(ids, *m_list.phrases(), m_filter);
    if (const auto measures = this->measures(); measures && !m_measureFilter.isOff())
        filtered = filterByMeasures(filtered, *measures, m_measureFilter);
    if (const auto keyness = this->keyness(); keyness && m_presence != SetPresence::Any)
        filtered = filterByPresence(filtered, *keyness, m_presence);
    if (m_refinement.isOff()) {
        m_hidden = {};
        return filtered;
    }
    if (m_refinement.hideInsideLonger && !m_insideLongerKnown) {
        m_insideLonger = phrasesInsideLonger(m_list.listedResults(), *m_list.phrases());
        m_insideLongerKnown = true;
    }
    RefinedRows refined = refineResults(filtered, *m_list.phrases(), m_refinement, m_insideLonger);
    m_hidden = refined.hidden;
    return std::move(refined.shown);
}

// A layout change keeps the views' selection and current row on the results that stay.
void ResultsFilterModel::replaceShown(std::vector<std::uint32_t> shown)
{
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<int> newRows;
    if (!before.isEmpty()) {
        newRows.assign(size_t(m_list.phrases()->size()), -1);
        for (size_t row = 0; row < shown.size(); ++row)
            newRows[shown[row]] = int(row);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &old : before) {
        const int row = newRows[resultAt(old.row())];
        after << (row < 0 ? QModelIndex() : createIndex(row, old.column()));
    }
    m_shown = std::move(shown);
    changePersistentIndexList(before, after);
    emit layoutChanged();
    emit countsChanged();
}

void ResultsFilterModel::dropUnlisted()
{
    const auto unlisted = [this](std::uint32_t id) { return !m_list.isListed(id); };
    std::erase_if(m_ordered, unlisted);
    m_insideLongerKnown = false;
    if (!m_refinement.isOff()) { // a removed phrase may have hidden a shorter one
        replaceShown(passing(m_ordered));
        return;
    }
    if (std::none_of(m_shown.begin(), m_shown.end(), unlisted)) {
        emit countsChanged();
        return;
    }
    std::vector<std::uint32_t> shown = m_shown;
    std::erase_if(shown, unlisted);
    replaceShown(std::move(shown));
}

void ResultsFilterModel::forwardTicks(const QModelIndex &, const QModelIndex &,
                                      const QList<int> &roles)
{
    if (!m_shown.empty())
        emit dataChanged(index(0, PhraseColumn), index(rowCount() - 1, PhraseColumn), roles);
}

int ResultsFilterModel::rowOfResult(std::uint32_t result) const
{
    const auto found = std::find(m_shown.begin(), m_shown.end(), result);
    return found == m_shown.end() ? -1 : int(found - m_shown.begin());
}

int ResultsFilterModel::listedCount() const
{
    return m_list.rowCount();
}

QString ResultsFilterModel::phraseAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return m_list.phrases()->row(resultAt(row)).phrase;
}

QString ResultsFilterModel::cellText(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return {};
    const PhraseResults &results = *m_list.phrases();
    const std::uint32_t id = resultAt(row);
    switch (column) {
    case PhraseColumn:
        return phraseAt(row);
    case WordsColumn:
        return QString::number(results.wordCount(id));
    case FrequencyColumn:
        return QString::number(results.frequency(id));
    case FilesColumn:
        return QString::number(results.files(id));
    default:
        return isKeynessColumn(column) ? keynessText(id, column) : measureText(id, column);
    }
}

QString ResultsFilterModel::keynessText(std::uint32_t id, int column) const
{
    const auto keyness = this->keyness();
    if (!keyness)
        return {};
    const KeynessRow &row = keyness->of(id);
    switch (column) {
    case TargetColumn:
        return QString::number(row.target);
    case ReferenceColumn:
        return QString::number(row.reference);
    case LogLikelihoodColumn:
        return QString::fromStdString(fourDecimals(row.keyness.logLikelihood));
    default:
        return QString::fromStdString(fourDecimals(row.keyness.logRatio));
    }
}

QString ResultsFilterModel::measureText(std::uint32_t id, int column) const
{
    const auto measures = this->measures();
    if (!measures || (column == DispersionColumn && !measures->hasDispersion()))
        return {};
    const double value =
        column == PerMillionColumn ? measures->perMillion(id) : measures->dispersion(id);
    return QString::fromStdString(fourDecimals(value));
}

std::vector<std::uint32_t> ResultsFilterModel::resultsOf(std::span<const int> rows) const
{
    std::vector<std::uint32_t> ids;
    ids.reserve(rows.size());
    for (const int row : rows) {
        if (row >= 0 && row < rowCount())
            ids.push_back(resultAt(row));
    }
    return ids;
}

void ResultsFilterModel::setRowsTicked(std::span<const int> rows, bool ticked)
{
    m_list.setResultsTicked(resultsOf(rows), ticked);
}

void ResultsFilterModel::tickAllShown()
{
    m_list.setResultsTicked(m_shown, true);
}

void ResultsFilterModel::untickAll()
{
    m_list.setAllTicked(false);
}

void ResultsFilterModel::removeShownRows(std::span<const int> rows)
{
    m_list.removeResults(resultsOf(rows));
}

int ResultsFilterModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int ResultsFilterModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(ColumnCount);
}

bool ResultsFilterModel::isValidCell(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.row() >= 0 &&
           index.row() < rowCount() && index.column() >= 0 && index.column() < ColumnCount;
}

QVariant ResultsFilterModel::data(const QModelIndex &index, int role) const
{
    if (!isValidCell(index))
        return {};
    const bool phrase = index.column() == PhraseColumn;
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::CheckStateRole:
        if (phrase)
            return m_list.isResultTicked(resultAt(index.row())) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole:
        if (!phrase)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

bool ResultsFilterModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != PhraseColumn || !isValidCell(index))
        return false;
    const std::uint32_t id = resultAt(index.row());
    m_list.setResultsTicked(std::span(&id, 1), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags ResultsFilterModel::flags(const QModelIndex &index) const
{
    if (!isValidCell(index))
        return Qt::NoItemFlags;
    const Qt::ItemFlags common =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return index.column() == PhraseColumn ? common | Qt::ItemIsUserCheckable : common;
}

QVariant ResultsFilterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const kHeaders[] = {
        "Phrase",         "Words",    "Frequency",           "Files",
        "Per million",    "DP",       "Frequency in target", "Reference frequency",
        "Log-likelihood", "Log ratio"};
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QLatin1String(kHeaders[section]);
    if (role == Qt::TextAlignmentRole && section != PhraseColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

} // namespace orvanta
