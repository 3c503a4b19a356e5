#include "results/ResultsModel.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace orvanta {

ResultsModel::ResultsModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_results(std::make_shared<const PhraseResults>())
{
}

void ResultsModel::setResults(PhraseResults results)
{
    // Views count rows in int; rows past that could never be shown.
    const qsizetype count = std::min<qsizetype>(results.size(), std::numeric_limits<int>::max());
    beginResetModel();
    m_results = std::make_shared<const PhraseResults>(std::move(results));
    m_rows.assign(size_t(count), 0);
    std::iota(m_rows.begin(), m_rows.end(), std::uint32_t(0));
    m_flags.assign(size_t(count), 0);
    endResetModel();
}

void ResultsModel::clear()
{
    beginResetModel();
    m_results = std::make_shared<const PhraseResults>();
    std::vector<std::uint32_t>().swap(m_rows);
    std::vector<std::uint8_t>().swap(m_flags);
    endResetModel();
}

void ResultsModel::removeRowAt(int row)
{
    if (!isValidRow(row))
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_flags[m_rows[size_t(row)]] |= Removed;
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

// One layout change instead of a removal signal per row: views and proxies then do their work
// once, however scattered the rows are.
void ResultsModel::removeResults(std::span<const std::uint32_t> ids)
{
    bool any = false;
    for (const std::uint32_t id : ids) {
        if (isListed(id)) {
            m_flags[id] |= Removed;
            any = true;
        }
    }
    if (!any)
        return;
    emit layoutAboutToBeChanged();
    std::vector<int> newRows(m_rows.size(), -1);
    size_t kept = 0;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if ((m_flags[m_rows[row]] & Removed) == 0) {
            newRows[row] = int(kept);
            m_rows[kept++] = m_rows[row];
        }
    }
    m_rows.resize(kept);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &old : before) {
        const int row = newRows[size_t(old.row())];
        after << (row < 0 ? QModelIndex() : index(row, old.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

QString ResultsModel::headerText(int column) const
{
    switch (column) {
    case PhraseColumn:
        return QStringLiteral("Results");
    case WordCountColumn:
        return QStringLiteral(" Word Count");
    case FrequencyColumn:
        return QStringLiteral("Frequency");
    case FilesColumn:
        return QStringLiteral("Files");
    default:
        return {};
    }
}

QString ResultsModel::cellText(int row, int column) const
{
    if (!isValidRow(row))
        return {};
    const qsizetype index = resultAt(row);
    switch (column) {
    case PhraseColumn:
        return m_results->row(index).displayPhrase();
    case WordCountColumn:
        return QString::number(m_results->wordCount(index));
    case FrequencyColumn:
        return QString::number(m_results->frequency(index));
    case FilesColumn:
        return QString::number(m_results->files(index));
    default:
        return {};
    }
}

bool ResultsModel::isTicked(int row) const
{
    return isValidRow(row) && isResultTicked(resultAt(row));
}

void ResultsModel::setTicked(int row, bool ticked)
{
    if (!isValidRow(row) || isTicked(row) == ticked)
        return;
    m_flags[resultAt(row)] ^= Ticked;
    const QModelIndex changed = index(row, PhraseColumn);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
}

bool ResultsModel::isListed(std::uint32_t result) const
{
    return result < m_flags.size() && (m_flags[result] & Removed) == 0;
}

bool ResultsModel::isResultTicked(std::uint32_t result) const
{
    return result < m_flags.size() && (m_flags[result] & Ticked) != 0;
}

void ResultsModel::setResultsTicked(std::span<const std::uint32_t> ids, bool ticked)
{
    bool any = false;
    for (const std::uint32_t id : ids) {
        if (isListed(id) && isResultTicked(id) != ticked) {
            m_flags[id] ^= Ticked;
            any = true;
        }
    }
    if (any)
        emitTicksChanged();
}

void ResultsModel::setAllTicked(bool ticked)
{
    setResultsTicked(m_rows, ticked);
}

void ResultsModel::emitTicksChanged()
{
    if (!m_rows.empty())
        emit dataChanged(index(0, PhraseColumn), index(rowCount() - 1, PhraseColumn),
                         {Qt::CheckStateRole});
}

int ResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(ColumnCount);
}

bool ResultsModel::isValidCell(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && isValidRow(index.row()) &&
           index.column() >= 0 && index.column() < ColumnCount;
}

QVariant ResultsModel::data(const QModelIndex &index, int role) const
{
    if (!isValidCell(index))
        return {};
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::CheckStateRole && index.column() == PhraseColumn)
        return isTicked(index.row()) ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool ResultsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != PhraseColumn || !isValidCell(index))
        return false;
    setTicked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex &index) const
{
    if (!isValidCell(index))
        return Qt::NoItemFlags;
    const Qt::ItemFlags common =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return index.column() == PhraseColumn ? common | Qt::ItemIsUserCheckable : common;
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return headerText(section);
}

} // namespace orvanta
