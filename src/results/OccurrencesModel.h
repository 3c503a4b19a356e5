#pragma once

#include "results/ConcordanceOrder.h"
#include "run/OccurrenceFinder.h"

#include <QAbstractTableModel>
#include <QColor>

#include <vector>

namespace orvanta {

// Where one phrase occurs, one row per occurrence, laid out as keyword in context: the words
// before it aligned to the right, the phrase itself marked, the words after it to the left. The
// rows are in text order, or ordered by up to three keys (the words around the phrase, the
// file), the words that order them known for colouring.
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

    // A word that orders the rows: the nth key's word, n from 0.
    struct SortWord {
        ContextWord word;
        int key = 0;
    };
    static constexpr int kMaxSortKeys = 3;

    // `paths` are the searched files; an occurrence's source indexes into them.
    void setOccurrences(Occurrences found, QStringList paths);
    void clear();
    // Orders the rows by the keys in turn, words found as `options` counted them; none: text
    // order.
    void setOrder(std::vector<ConcordanceKey> keys, const TextOptions &options);
    const std::vector<ConcordanceKey> &order() const { return m_keys; }
    // The words of the row's context that order it.
    std::vector<SortWord> sortWordsAt(int row) const;
    static QColor sortWordColour(int key);
    // The rows as exported, in the order shown.
    std::vector<ConcordanceLine> linesShown() const;

    const Occurrence &occurrenceAt(int row) const
    {
        return m_found.found[size_t(m_rows[size_t(row)])];
    }
    QString pathAt(int row) const;
    // Which of the occurrences on its page this one is, counted from 0 in text order.
    int placeOnPage(int row) const;
    int fileCount() const;
    const QStringList &unavailable() const { return m_found.unavailable; }
    // Every occurrence, in the order found, and the files searched.
    const Occurrences &found() const { return m_found; }
    const QStringList &paths() const { return m_paths; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString cellText(const Occurrence &occurrence, int column) const;
    QString placeText(const Occurrence &occurrence) const;

    void applyOrder();

    Occurrences m_found;
    QStringList m_paths;
    std::vector<ConcordanceKey> m_keys;
    TextOptions m_options;
    std::vector<int> m_rows; // the shown rows' indexes into m_found.found
};

} // namespace orvanta
