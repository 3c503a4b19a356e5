#include "results/OverlapPairsModel.h"

#include "phrases/CorpusMeasures.h"

#include <QFileInfo>

#include <algorithm>

namespace orvanta {

namespace {

QString percent(double share)
{
    return QString::number(share * 100, 'f', 1) + QLatin1Char('%');
}

double largerShare(const OverlapPair &pair)
{
    return std::max(pair.shareA(), pair.shareB());
}

} // namespace

OverlapPairsModel::OverlapPairsModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void OverlapPairsModel::setPairs(QStringList paths, const std::vector<OverlapPair> &pairs)
{
    beginResetModel();
    m_paths = std::move(paths);
    m_names.clear();
    for (const QString &path : m_paths)
        m_names << QFileInfo(path).fileName();
    m_pairs.clear();
    std::copy_if(pairs.begin(), pairs.end(), std::back_inserter(m_pairs),
                 [](const OverlapPair &pair) { return pair.sharedA > 0 || pair.sharedB > 0; });
    arrange();
    endResetModel();
    emit countsChanged();
}

void OverlapPairsModel::clear()
{
    setPairs({}, {});
}

void OverlapPairsModel::setFilter(const OverlapPairFilter &filter)
{
    if (filter == m_filter)
        return;
    beginResetModel();
    m_filter = filter;
    arrange();
    endResetModel();
    emit countsChanged();
}

void OverlapPairsModel::sort(int column, Qt::SortOrder order)
{
    emit layoutAboutToBeChanged();
    m_sortColumn = column;
    m_sortOrder = order;
    arrange();
    emit layoutChanged();
}

bool OverlapPairsModel::isShown(const OverlapPair &pair) const
{
    if (largerShare(pair) < m_filter.minimumShare)
        return false;
    return m_filter.name.isEmpty() ||
           nameOf(pair.fileA).contains(m_filter.name, Qt::CaseInsensitive) ||
           nameOf(pair.fileB).contains(m_filter.name, Qt::CaseInsensitive);
}

// The shown pairs, in rank order or stably by the sort column.
void OverlapPairsModel::arrange()
{
    m_shown.clear();
    for (std::size_t i = 0; i < m_pairs.size(); ++i) {
        if (isShown(m_pairs[i]))
            m_shown.push_back(i);
    }
    if (m_sortColumn < 0 || m_sortColumn >= ColumnCount)
        return;
    if (m_sortColumn == FileAColumn || m_sortColumn == FileBColumn) {
        std::vector<QString> names(m_pairs.size());
        for (std::size_t i : m_shown) {
            const OverlapPair &pair = m_pairs[i];
            names[i] = nameOf(m_sortColumn == FileAColumn ? pair.fileA : pair.fileB).toCaseFolded();
        }
        sortShown([&](std::size_t a, std::size_t b) { return names[a] < names[b]; });
        return;
    }
    const auto number = [this](std::size_t i) -> double {
        const OverlapPair &pair = m_pairs[i];
        switch (m_sortColumn) {
        case WordsAColumn:
            return pair.wordsA;
        case WordsBColumn:
            return pair.wordsB;
        case SharedAColumn:
            return pair.sharedA;
        case SharedBColumn:
            return pair.sharedB;
        case ShareAColumn:
            return pair.shareA();
        default:
            return pair.shareB();
        }
    };
    sortShown([&](std::size_t a, std::size_t b) { return number(a) < number(b); });
}

// Stably, so equal rows keep their rank.
template <typename Less> void OverlapPairsModel::sortShown(Less less)
{
    std::stable_sort(m_shown.begin(), m_shown.end(), [&](std::size_t a, std::size_t b) {
        return m_sortOrder == Qt::AscendingOrder ? less(a, b) : less(b, a);
    });
}

int OverlapPairsModel::rowOfPair(std::uint32_t first, std::uint32_t second) const
{
    const auto a = std::min(first, second);
    const auto b = std::max(first, second);
    for (std::size_t row = 0; row < m_shown.size(); ++row) {
        const OverlapPair &pair = m_pairs[m_shown[row]];
        if (std::min(pair.fileA, pair.fileB) == a && std::max(pair.fileA, pair.fileB) == b)
            return int(row);
    }
    return -1;
}

QString OverlapPairsModel::countsText() const
{
    return QStringLiteral("%1 of %2 pairs").arg(rowCount()).arg(listedCount());
}

std::shared_ptr<ExportRows> OverlapPairsModel::shownRows() const
{
    std::vector<OverlapPair> shown;
    shown.reserve(m_shown.size());
    for (std::size_t i : m_shown)
        shown.push_back(m_pairs[i]);
    return std::make_shared<OverlapPairRows>(m_paths, std::move(shown));
}

int OverlapPairsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int OverlapPairsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant OverlapPairsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const OverlapPair &pair = pairAt(index.row());
    const int column = index.column();
    if (role == Qt::ToolTipRole && (column == FileAColumn || column == FileBColumn))
        return m_paths[qsizetype(column == FileAColumn ? pair.fileA : pair.fileB)];
    if (role == Qt::TextAlignmentRole && column >= WordsAColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case FileAColumn:
        return nameOf(pair.fileA);
    case FileBColumn:
        return nameOf(pair.fileB);
    case WordsAColumn:
        return pair.wordsA;
    case WordsBColumn:
        return pair.wordsB;
    case SharedAColumn:
        return pair.sharedA;
    case SharedBColumn:
        return pair.sharedB;
    case ShareAColumn:
        return percent(pair.shareA());
    case ShareBColumn:
        return percent(pair.shareB());
    default:
        return {};
    }
}

QVariant OverlapPairsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const names[ColumnCount] = {"File A",   "File B",   "Words A", "Words B",
                                                   "Shared A", "Shared B", "Share A", "Share B"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return QLatin1String(names[section]);
}

OverlapPairRows::OverlapPairRows(QStringList paths, std::vector<OverlapPair> pairs)
    : m_paths(std::move(paths))
    , m_pairs(std::move(pairs))
{
}

QStringList OverlapPairRows::headers() const
{
    return {QStringLiteral("file_a"),  QStringLiteral("file_b"),   QStringLiteral("words_a"),
            QStringLiteral("words_b"), QStringLiteral("shared_a"), QStringLiteral("shared_b"),
            QStringLiteral("share_a"), QStringLiteral("share_b")};
}

std::span<const ExportCell> OverlapPairRows::cells(qsizetype row)
{
    const OverlapPair &pair = m_pairs[std::size_t(row)];
    m_text[0] = m_paths[qsizetype(pair.fileA)].toUtf8();
    m_text[1] = m_paths[qsizetype(pair.fileB)].toUtf8();
    m_text[2] = QByteArray::fromStdString(fourDecimals(pair.shareA()));
    m_text[3] = QByteArray::fromStdString(fourDecimals(pair.shareB()));
    m_cells[0] = {m_text[0]};
    m_cells[1] = {m_text[1]};
    m_cells[2] = {{}, pair.wordsA, true};
    m_cells[3] = {{}, pair.wordsB, true};
    m_cells[4] = {{}, pair.sharedA, true};
    m_cells[5] = {{}, pair.sharedB, true};
    m_cells[6] = {m_text[2]};
    m_cells[7] = {m_text[3]};
    return m_cells;
}

} // namespace orvanta
