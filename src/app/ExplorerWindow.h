#pragma once

#include "app/ProjectFile.h"
#include "app/ResultsView.h"
#include "phrases/Keyness.h"
#include "run/OccurrenceFinder.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <span>
#include <stop_token>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QTreeView;

namespace orvanta {

class BackgroundJob;
class DialogService;
class DocumentsView;
class FileSpreadView;
class KeynessBar;
class MeasuresBar;
class OccurrencePanel;
class PageView;
class PassagesView;
class PhraseHidingBar;
class ShownRowsExport;
class ResultsFilterModel;
class ResultsModel;

// The results explorer: the main window's results, sorted and filtered, ticked and removed in
// the main window's own list, and beside them the repeated passages of the same texts; where the
// current phrase or passage occurs, and the page of a chosen occurrence; the rows shown written
// out as CSV or as a workbook.
class ExplorerWindow final : public QWidget {
    Q_OBJECT
public:
    ExplorerWindow(ResultsModel &list, TextStore &store, DialogService &dialogs, QString title,
                   QWidget *parent = nullptr);
    ~ExplorerWindow() override;

    // The texts of the last counting run, where occurrences are looked for.
    void setCountedTexts(std::vector<CountedSource> sources, TextOptions options);
    // The size of what the run of the listed results counted: shown, and the measures made.
    // When `sets` (by the run's file index) marks a reference set, the keyness of the target
    // against it too.
    void setCorpus(const CorpusSize &corpus, std::span<const FileSet> sets);
    void setDocumentOpener(std::function<bool(const QString &)> open);
    // Where the programs' data is: the stop-word lists among it.
    void setDataFolder(const QString &folder);
    // Makes the result the current row, clearing the filter when it hides the result.
    void showResult(std::uint32_t result);
    // Stops the work in the background and waits for it to end.
    void stopWork();
    // Its filter and sort, as a project keeps them (ExplorerWindowState.cpp).
    ExplorerState state() const;
    void setState(const ExplorerState &state);

    ResultsFilterModel &model() { return *m_model; }
    OccurrencePanel &occurrences() { return *m_occurrences; }
    PageView &pageView() { return *m_page; }
    FileSpreadView &fileSpread() { return *m_fileSpread; }
    PassagesView &passages() { return *m_passages; }
    DocumentsView &documents() { return *m_documents; }

signals:
    void exportFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    QLayout *createFilterRow();
    QLayout *createButtonRow();
    void connectControls();
    void applyFilter();
    void showCounts();
    std::vector<int> selectedRows() const;
    void toggleSelectedTicks();
    void removeSelected();
    void currentRowChanged();
    void showWhereItOccurs(const QString &words);

    ResultsModel &m_list;
    TextStore &m_store;
    DialogService &m_dialogs;
    QString m_title;
    ResultsFilterModel *m_model = nullptr;
    QLineEdit *m_filterText = nullptr;
    QCheckBox *m_regularExpression = nullptr;
    QLabel *m_filterError = nullptr;
    PhraseHidingBar *m_hiding = nullptr;
    MeasuresBar *m_measures = nullptr;
    KeynessBar *m_keyness = nullptr;
    QSpinBox *m_minFrequency = nullptr;
    QSpinBox *m_minFiles = nullptr;
    QLabel *m_counts = nullptr;
    QTimer *m_filterDelay = nullptr;
    QTreeView *m_view = nullptr;
    QPushButton *m_tickShown = nullptr;
    QPushButton *m_untickAll = nullptr;
    QPushButton *m_remove = nullptr;
    OccurrencePanel *m_occurrences = nullptr;
    PageView *m_page = nullptr;
    FileSpreadView *m_fileSpread = nullptr;
    ShownRowsControls m_exportControls{};
    ShownRowsExport *m_export = nullptr;
    PassagesView *m_passages = nullptr;
    DocumentsView *m_documents = nullptr;
    QTabWidget *m_tabs = nullptr;
};

} // namespace orvanta
