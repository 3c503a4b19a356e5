#pragma once

#include "results/LetterShare.h"
#include "run/OccurrenceFinder.h"

#include <QWidget>

#include <stop_token>
#include <vector>

class QLabel;
class QPushButton;
class QSpinBox;
class QTreeView;

namespace orvanta {

class BackgroundJob;
class DialogService;
class ResultsFilterModel;
class ResultsModel;
class ShownRowsExport;

// The repeated passages of the texts the last run counted: every stretch of at least the chosen
// number of words that occurs at least twice and cannot be made longer without losing an
// occurrence. Found off the window thread the first time the view is shown after a run, and again
// when the number changes; sortable by any column; the shown rows written out as CSV or as a
// workbook.
class PassagesView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultMinimumWords = 8;
    static constexpr int kDefaultLetterPercent = int(kDefaultLetterWordShare * 100);

    PassagesView(TextStore &store, DialogService &dialogs, QString title,
                 QWidget *parent = nullptr);
    ~PassagesView() override;

    // The passages of these texts are looked for the next time the view is shown.
    void setCountedTexts(std::vector<CountedSource> sources, TextOptions options);
    // Looks for the passages unless those of the current texts and number are known.
    void search();
    // Stops the search and any export, and waits for them to end.
    void stop();
    // The current passage's words, or nothing.
    QString currentPassage() const;

    ResultsFilterModel &model() { return *m_model; }
    QTreeView *list() const { return m_view; }
    QSpinBox *minimumWords() const { return m_minimumWords; }
    QSpinBox *letterPercent() const { return m_letterPercent; }

signals:
    // The current passage has changed to these words (empty: none).
    void passageChosen(const QString &passage);
    void searchFinished();
    void exportFinished();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showCounts();
    void applyLetterShare();

    TextStore &m_store;
    std::vector<CountedSource> m_sources;
    TextOptions m_options;
    bool m_searched = false; // the passages shown are those of the texts and number given
    ResultsModel *m_list = nullptr;
    ResultsFilterModel *m_model = nullptr;
    QSpinBox *m_minimumWords = nullptr;
    QSpinBox *m_letterPercent = nullptr;
    QTreeView *m_view = nullptr;
    QLabel *m_counts = nullptr;
    QLabel *m_status = nullptr;
    ShownRowsExport *m_export = nullptr;
    BackgroundJob *m_job = nullptr;
    std::stop_source m_stop;
};

} // namespace orvanta
