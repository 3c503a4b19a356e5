#include "results/FileSpread.h"

#include "phrases/CorpusMeasures.h"

#include <QFileInfo>

namespace orvanta {

double FileOccurrences::positionOf(const Occurrence &occurrence) const
{
    return words == 0 ? 0.0 : double(occurrence.word) / double(words);
}

std::vector<FileOccurrences> occurrencesByFile(const Occurrences &found, const QStringList &paths,
                                               std::span<const std::uint64_t> wordsByFile)
{
    std::vector<FileOccurrences> files;
    for (std::size_t i = 0; i < found.found.size(); ++i) {
        const int source = found.found[i].source;
        if (files.empty() || files.back().source != source) {
            const std::size_t file = std::size_t(source);
            files.push_back({source,
                             file < std::size_t(paths.size()) ? paths[source] : QString(),
                             file < wordsByFile.size() ? wordsByFile[file] : 0,
                             {}});
        }
        files.back().occurrences.push_back(int(i));
    }
    return files;
}

FileSpreadModel::FileSpreadModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void FileSpreadModel::setFiles(std::vector<FileOccurrences> files)
{
    beginResetModel();
    m_files = std::move(files);
    endResetModel();
}

int FileSpreadModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_files.size());
}

int FileSpreadModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(ColumnCount);
}

QVariant FileSpreadModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const FileOccurrences &file = m_files[std::size_t(index.row())];
    const auto frequency = std::uint64_t(file.occurrences.size());
    const double perMillion = orvanta::perMillion(frequency, file.words);
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == FileColumn)
            return QFileInfo(file.path).fileName();
        if (index.column() == FrequencyColumn)
            return QString::number(frequency);
        return file.words == 0 ? QString() : QString::fromStdString(fourDecimals(perMillion));
    case kSortRole:
        if (index.column() == FileColumn)
            return index.row(); // the run's file order
        return index.column() == FrequencyColumn ? QVariant(qulonglong(frequency))
                                                 : QVariant(perMillion);
    case Qt::ToolTipRole:
        return file.path;
    case Qt::TextAlignmentRole:
        if (index.column() != FileColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant FileSpreadModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const kHeaders[] = {"File", "Frequency", "Per million"};
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount ||
        role != Qt::DisplayRole)
        return {};
    return QLatin1String(kHeaders[section]);
}

} // namespace orvanta
