#include "results/OverlapMatrixModel.h"

#include <QFileInfo>

#include <algorithm>

namespace orvanta {

QColor shareColour(double share)
{
    const double part = std::clamp(share, 0.0, 1.0);
    // From white to #c62828.
    const auto towards = [part](int full) { return int(std::lround(255 - (255 - full) * part)); };
    return QColor(towards(0xc6), towards(0x28), towards(0x28));
}

OverlapMatrixModel::OverlapMatrixModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

bool OverlapMatrixModel::setPairs(const QStringList &paths, const std::vector<OverlapPair> &pairs)
{
    beginResetModel();
    const bool fits = paths.size() <= kMostFiles;
    m_paths = fits ? paths : QStringList();
    m_names.clear();
    for (const QString &path : m_paths)
        m_names << QFileInfo(path).fileName();
    m_pairs.clear();
    const auto files = std::size_t(m_paths.size());
    m_pairOf.assign(files * files, -1);
    for (const OverlapPair &pair : fits ? pairs : std::vector<OverlapPair>()) {
        if ((pair.sharedA == 0 && pair.sharedB == 0) || pair.fileA >= files || pair.fileB >= files)
            continue;
        const int index = int(m_pairs.size());
        m_pairs.push_back(pair);
        m_pairOf[pair.fileA * files + pair.fileB] = index;
        m_pairOf[pair.fileB * files + pair.fileA] = index;
    }
    endResetModel();
    return fits;
}

void OverlapMatrixModel::clear()
{
    setPairs({}, {});
}

const OverlapPair *OverlapMatrixModel::pairAt(int row, int column) const
{
    const auto files = std::size_t(m_paths.size());
    if (row < 0 || column < 0 || std::size_t(row) >= files || std::size_t(column) >= files)
        return nullptr;
    const int index = m_pairOf[std::size_t(row) * files + std::size_t(column)];
    return index < 0 ? nullptr : &m_pairs[std::size_t(index)];
}

double OverlapMatrixModel::largerShare(int row, int column) const
{
    const OverlapPair *pair = pairAt(row, column);
    return pair ? std::max(pair->shareA(), pair->shareB()) : 0.0;
}

int OverlapMatrixModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_paths.size());
}

int OverlapMatrixModel::columnCount(const QModelIndex &parent) const
{
    return rowCount(parent);
}

QVariant OverlapMatrixModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const OverlapPair *pair = pairAt(index.row(), index.column());
    const double share = largerShare(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
        return pair ? QString::number(std::lround(share * 100)) : QString();
    case Qt::BackgroundRole:
        return index.row() == index.column() ? QColor(Qt::lightGray) : shareColour(share);
    case Qt::ForegroundRole:
        return share > 0.5 ? QColor(Qt::white) : QColor(Qt::black);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::ToolTipRole:
        if (!pair)
            return {};
        return QStringLiteral("%1: %2% shared\n%3: %4% shared")
            .arg(m_names[qsizetype(pair->fileA)])
            .arg(pair->shareA() * 100, 0, 'f', 1)
            .arg(m_names[qsizetype(pair->fileB)])
            .arg(pair->shareB() * 100, 0, 'f', 1);
    default:
        return {};
    }
}

// Files by number across the top, by number and name down the side.
QVariant OverlapMatrixModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section < 0 || section >= m_paths.size())
        return {};
    if (role == Qt::DisplayRole)
        return orientation == Qt::Horizontal
                   ? QString::number(section + 1)
                   : QStringLiteral("%1  %2").arg(section + 1).arg(m_names[section]);
    if (role == Qt::ToolTipRole)
        return m_paths[section];
    return {};
}

} // namespace orvanta
