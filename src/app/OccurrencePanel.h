#pragma once

#include "results/ConcordanceOrder.h"
#include "run/OccurrenceFinder.h"

#include <QGroupBox>

#include <array>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

class QComboBox;
class QLabel;
class QTreeView;

namespace orvanta {

class BackgroundJob;
class DialogService;
class OccurrencesModel;
class ShownRowsExport;

// "Where it occurs": every occurrence of the current phrase in the texts the last run counted,
// found off the window thread. A new phrase stops the search of the one before. The lines
// sort by up to three keys, the words around the phrase or the file, and the lines shown are
// written out as CSV or as a workbook.
class OccurrencePanel final : public QGroupBox {
    Q_OBJECT
public:
    OccurrencePanel(TextStore &store, DialogService &dialogs, QString title,
                    QWidget *parent = nullptr);
    ~OccurrencePanel() override;

    void setCountedTexts(std::vector<CountedSource> sources, TextOptions options);
    // Searches for the phrase (a result's lower-case words); an empty one clears the list.
    void showPhrase(const QString &phrase);
    // The phrase shown, or to be shown once the search under way ends; empty for none.
    QString phrase() const { return m_pending.value_or(m_searched); }
    // Stops the search and waits for it to end.
    void stop();

    OccurrencesModel &occurrences() { return *m_model; }
    QTreeView *list() const { return m_list; }
    // The nth sort key's choice, n from 0.
    QComboBox *sortKey(int n) const { return m_sortKeys[size_t(n)]; }

signals:
    void searchFinished();
    void exportFinished();
    // The path, page (from 1) and phrase of a chosen occurrence, and which of the phrase's
    // places on that page it is.
    void occurrenceChosen(const QString &path, int page, const QString &phrase, int place);

private:
    QLayout *createSortRow();
    QLayout *createExportRow(DialogService &dialogs, QString title);
    void applyOrder();
    void startSearch();
    void finishSearch();
    void chooseRow(int row);
    QString summary() const;

    TextStore &m_store;
    std::vector<CountedSource> m_sources;
    TextOptions m_options;
    OccurrencesModel *m_model = nullptr;
    QTreeView *m_list = nullptr;
    QLabel *m_status = nullptr;
    std::array<QComboBox *, 3> m_sortKeys{};
    ShownRowsExport *m_export = nullptr;
    BackgroundJob *m_job = nullptr;
    std::stop_source m_stop;
    QString m_searched;               // the phrase of the search under way or last finished
    std::optional<QString> m_pending; // the phrase to search for once the running search ends
    std::shared_ptr<Occurrences> m_found;
};

} // namespace orvanta
