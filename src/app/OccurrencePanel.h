#pragma once

#include "run/OccurrenceFinder.h"

#include <QGroupBox>

#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

class QLabel;
class QTreeView;

namespace orvanta {

class BackgroundJob;
class OccurrencesModel;

// "Where it occurs": every occurrence of the current phrase in the texts the last run counted,
// found off the window thread. A new phrase stops the search of the one before.
class OccurrencePanel final : public QGroupBox {
    Q_OBJECT
public:
    OccurrencePanel(TextStore &store, QWidget *parent = nullptr);
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

signals:
    void searchFinished();
    // The path, page (from 1) and phrase of a chosen occurrence, and which of the phrase's
    // places on that page it is.
    void occurrenceChosen(const QString &path, int page, const QString &phrase, int place);

private:
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
    BackgroundJob *m_job = nullptr;
    std::stop_source m_stop;
    QString m_searched;               // the phrase of the search under way or last finished
    std::optional<QString> m_pending; // the phrase to search for once the running search ends
    std::shared_ptr<Occurrences> m_found;
};

} // namespace orvanta
