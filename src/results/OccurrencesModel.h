#pragma once

#include "run/OccurrenceFinder.h"

#include <QAbstractTableModel>

namespace orvanta {

// Where one phrase occurs, one row per occurrence, laid out as keyword in context: the words
// before it aligned to the right, the phrase itself marked, the words after it to the left.
class OccurrencesModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column : int {
        FileColumn,
        PageColumn,
        LineColumn,
        BeforeColumn,
        PhraseColumn,
        AfterColumn,
        ColumnCount
    };

    explicit OccurrencesModel(QObject *parent = nullptr);

    // `paths` are the searched files; an occurrence's source indexes into them.
    void setOccurrences(Occurrences found, QStringList paths);
    void clear();

    const Occurrence &occurrenceAt(int row) const { return m_found.found[size_t(row)]; }
    QString pathAt(int row) const;
    // Which of the occurrences on its page this one is, counted from 0 in text order.
    int placeOnPage(int row) const;
    int fileCount() const;
    const QStringList &unavailable() const { return m_found.unavailable; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString cellText(const Occurrence &occurrence, int column) const;
    QString placeText(const Occurrence &occurrence) const;

    Occurrences m_found;
    QStringList m_paths;
};

} // namespace orvanta
