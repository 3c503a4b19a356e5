#pragma once

#include "phrases/DocumentOverlap.h"
#include "run/OccurrenceFinder.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <stop_token>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QTreeView;

namespace orvanta {

class BackgroundJob;
class DialogService;
class OverlapMatrixModel;
class OverlapPairsModel;
class OverlapTexts;
class PairView;
class ShownRowsExport;

// Which of the texts the last run counted share text with which: the texts read once off the
// window thread the first time the view is shown after a run, then compared again, without
// reading, whenever the stretch length or the share that makes a stretch boilerplate changes.
// The pairs that share words listed, sortable, filtered by name and share and written out; the
// files against each other in a matrix; a pair opened side by side.
class DocumentsView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultStretchWords = 8;
    static constexpr int kDefaultIgnorePercent = 50;

    DocumentsView(TextStore &store, DialogService &dialogs, QString title,
                  QWidget *parent = nullptr);
    ~DocumentsView() override;

    // These texts are read the next time the view is shown; an open pair is closed.
    void setCountedTexts(std::vector<CountedSource> sources, TextOptions options);
    void setDocumentOpener(std::function<bool(const QString &)> open);
    // Reads or compares the texts unless the pairs shown are those of the texts and settings.
    void compare();
    // Stops the reading, the comparing and an export, and waits for them; closes the pair
    // shown.
    void stop();
    // Opens the pair of the two files side by side.
    void openPair(int first, int second);

    OverlapSettings settings() const;
    // The texts read, once read; null before.
    const OverlapTexts *texts() const { return m_texts.get(); }
    OverlapPairsModel &pairs() { return *m_pairs; }
    OverlapMatrixModel &matrix() { return *m_matrix; }
    PairView *pairView() const { return m_pairView; }

signals:
    void compared();
    void exportFinished();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLayout *createSettingsRow();
    QLayout *createFilterRow();
    QWidget *createMatrixPage();
    void connectControls();
    void settingsChanged();
    void applyFilter();
    void showCompared(std::shared_ptr<const DocumentOverlap> overlap);
    void openRow(const QModelIndex &index);

    TextStore &m_store;
    DialogService &m_dialogs;
    QString m_title;
    std::vector<CountedSource> m_sources;
    TextOptions m_options;
    std::function<bool(const QString &)> m_open;
    std::shared_ptr<const OverlapTexts> m_texts; // of m_sources, once read
    std::shared_ptr<const DocumentOverlap> m_overlap;
    bool m_compared = false; // the pairs shown are those of the texts and settings given
    int m_generation = 0;    // counts the texts given
    bool m_halted = false;   // stopped until compare() is asked for again
    OverlapPairsModel *m_pairs = nullptr;
    OverlapMatrixModel *m_matrix = nullptr;
    QSpinBox *m_stretchWords = nullptr;
    QCheckBox *m_ignoreCommon = nullptr;
    QSpinBox *m_ignorePercent = nullptr;
    QLineEdit *m_name = nullptr;
    QSpinBox *m_minimumShare = nullptr;
    QLabel *m_counts = nullptr;
    QTabWidget *m_tabs = nullptr;
    QTreeView *m_list = nullptr;
    QTableView *m_matrixView = nullptr;
    QLabel *m_matrixNote = nullptr;
    QPushButton *m_openPair = nullptr;
    QLabel *m_status = nullptr;
    ShownRowsExport *m_export = nullptr;
    BackgroundJob *m_job = nullptr;
    std::stop_source m_stop;
    PairView *m_pairView = nullptr;
};

} // namespace orvanta
