#pragma once

#include "run/OccurrenceFinder.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <span>
#include <vector>

namespace orvanta {

// The occurrences of a phrase in one file.
struct FileOccurrences {
    int source = 0; // index into the files searched
    QString path;
    std::uint64_t words = 0;      // the file's counted words; 0 when not known
    std::vector<int> occurrences; // indexes into the occurrences found, in text order
    // Where each occurrence stands in the file, as a share of its words: 0 at its start.
    double positionOf(const Occurrence &occurrence) const;
};

// The occurrences found (by file, then in text order) grouped by file, in file order; only the
// files they occur in. `wordsByFile` gives the counted words of each file searched.
std::vector<FileOccurrences> occurrencesByFile(const Occurrences &found, const QStringList &paths,
                                               std::span<const std::uint64_t> wordsByFile);

// The explorer's table of the current phrase by file: file, frequency and per million words of
// that file. Sortable by any column.
class FileSpreadModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int { FileColumn, FrequencyColumn, PerMillionColumn, ColumnCount };
    // The value a column sorts by.
    static constexpr int kSortRole = Qt::UserRole;

    explicit FileSpreadModel(QObject *parent = nullptr);

    void setFiles(std::vector<FileOccurrences> files);
    const std::vector<FileOccurrences> &files() const { return m_files; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<FileOccurrences> m_files;
};

} // namespace orvanta
