#include "app/ExplorerWindow.h"

#include "app/DocumentsView.h"
#include "app/FileSpreadView.h"
#include "app/KeynessBar.h"
#include "app/MeasuresBar.h"
#include "app/OccurrencePanel.h"
#include "app/PageView.h"
#include "app/PassagesView.h"
#include "app/PhraseHidingBar.h"
#include "app/ResultsView.h"
#include "app/ShownRowsExport.h"
#include "results/OccurrencesModel.h"
#include "results/PhrasePattern.h"
#include "results/ResultsFilterModel.h"
#include "results/ResultsModel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace orvanta {

namespace {

// Typing pauses this long before the list is filtered, so a burst of keys filters once.
constexpr int kFilterDelayMs = 150;
constexpr int kPhrasesTab = 0;
constexpr int kPassagesTab = 1;

QSpinBox *createBound(const char *name, int least, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(least, std::numeric_limits<int>::max());
    box->setValue(least);
    box->setAccelerated(true);
    return box;
}

} // namespace

ExplorerWindow::ExplorerWindow(ResultsModel &list, TextStore &store, DialogService &dialogs,
                               QString title, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_list(list)
    , m_store(store)
    , m_dialogs(dialogs)
    , m_title(std::move(title))
    , m_model(new ResultsFilterModel(list, this))
{
    setObjectName(QStringLiteral("ExplorerWindow"));
    setWindowTitle(QStringLiteral("Explore Results"));
    createControls();
    connectControls();
    resize(1000, 700);
    showCounts();
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &QWidget::close);
}

ExplorerWindow::~ExplorerWindow()
{
    stopWork();
}

void ExplorerWindow::stopWork()
{
    m_export->stop();
    m_passages->stop();
    m_documents->stop();
    m_occurrences->stop();
    m_page->stop();
}

// Reading and comparing the documents takes a while: it stops with the window, and goes on
// when the tab is shown again.
void ExplorerWindow::closeEvent(QCloseEvent *event)
{
    m_documents->stop();
    QWidget::closeEvent(event);
}

void ExplorerWindow::createControls()
{
    m_view = createResultsView("ExplorerList", m_model, this);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->header()->setSortIndicator(ResultsFilterModel::FrequencyColumn, Qt::AscendingOrder);
    m_view->installEventFilter(this);

    auto *results = new QWidget;
    auto *resultsLayout = new QVBoxLayout(results);
    resultsLayout->setContentsMargins(0, 0, 0, 0);
    m_hiding = new PhraseHidingBar(m_dialogs, m_title, results);
    m_hiding->setObjectName(QStringLiteral("ExplorerHiding"));
    resultsLayout->addWidget(m_hiding);
    m_measures = new MeasuresBar(results);
    resultsLayout->addWidget(m_measures);
    m_keyness = new KeynessBar(results);
    resultsLayout->addWidget(m_keyness);
    resultsLayout->addWidget(m_view, 1);
    resultsLayout->addLayout(createButtonRow());
    m_passages = new PassagesView(m_store, m_dialogs, m_title);
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("ExplorerTabs"));
    m_tabs->addTab(results, QStringLiteral("Phrases"));
    m_tabs->addTab(m_passages, QStringLiteral("Passages"));
    m_documents = new DocumentsView(m_store, m_dialogs, m_title);
    m_tabs->addTab(m_documents, QStringLiteral("Documents"));

    m_occurrences = new OccurrencePanel(m_store, m_dialogs, m_title, this);
    m_page = new PageView(m_dialogs, m_title, this);
    m_fileSpread = new FileSpreadView(m_dialogs, m_title, this);
    auto *occurrenceTabs = new QTabWidget;
    occurrenceTabs->setObjectName(QStringLiteral("ExplorerOccurrenceTabs"));
    occurrenceTabs->addTab(m_occurrences, QStringLiteral("Where it occurs"));
    occurrenceTabs->addTab(m_fileSpread, QStringLiteral("By file"));
    auto *where = new QSplitter(Qt::Horizontal);
    where->addWidget(occurrenceTabs);
    where->addWidget(m_page);
    where->setSizes({520, 480});
    auto *split = new QSplitter(Qt::Vertical);
    split->setObjectName(QStringLiteral("ExplorerSplitter"));
    split->addWidget(m_tabs);
    split->addWidget(where);
    split->setSizes({250, 450});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(createFilterRow());
    layout->addWidget(m_filterError);
    layout->addWidget(split, 1);
}

QLayout *ExplorerWindow::createFilterRow()
{
    m_filterText = new QLineEdit(this);
    m_filterText->setObjectName(QStringLiteral("ExplorerFilter"));
    m_filterText->setPlaceholderText(
        QStringLiteral("words or part of a word; * and ? for the whole phrase"));
    m_filterText->setClearButtonEnabled(true);
    m_regularExpression = new QCheckBox(QStringLiteral("Regular expression"), this);
    m_regularExpression->setObjectName(QStringLiteral("ExplorerFilterRegex"));
    m_filterError = new QLabel(this);
    m_filterError->setObjectName(QStringLiteral("ExplorerFilterError"));
    m_filterError->setStyleSheet(QStringLiteral("color: #b00020"));
    m_filterError->hide();
    m_minFrequency = createBound("ExplorerMinFrequency", 2, this);
    m_minFiles = createBound("ExplorerMinFiles", 1, this);
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("ExplorerCounts"));
    m_filterDelay = new QTimer(this);
    m_filterDelay->setSingleShot(true);
    m_filterDelay->setInterval(kFilterDelayMs);

    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Filter:"), this));
    row->addWidget(m_filterText, 1);
    row->addWidget(m_regularExpression);
    row->addWidget(new QLabel(QStringLiteral("Frequency at least:"), this));
    row->addWidget(m_minFrequency);
    row->addWidget(new QLabel(QStringLiteral("Files at least:"), this));
    row->addWidget(m_minFiles);
    row->addWidget(m_counts);
    return row;
}

QLayout *ExplorerWindow::createButtonRow()
{
    m_tickShown = createNamedButton("ExplorerTickShown", QStringLiteral("Tick All Shown"), this);
    m_untickAll = createNamedButton("ExplorerUntickAll", QStringLiteral("Untick All"), this);
    m_remove = createNamedButton("ExplorerRemove", QStringLiteral("Remove Selected"), this);
    m_exportControls = createShownRowsControls(QStringLiteral("Explorer"), this);
    auto *row = new QHBoxLayout;
    for (QPushButton *button : {m_tickShown, m_untickAll, m_remove})
        row->addWidget(button);
    row->addWidget(m_exportControls.status, 1);
    row->addWidget(m_exportControls.csv);
    row->addWidget(m_exportControls.workbook);
    return row;
}

void ExplorerWindow::connectControls()
{
    connect(m_filterText, &QLineEdit::textChanged, m_filterDelay, qOverload<>(&QTimer::start));
    connect(m_minFrequency, &QSpinBox::valueChanged, m_filterDelay, qOverload<>(&QTimer::start));
    connect(m_minFiles, &QSpinBox::valueChanged, m_filterDelay, qOverload<>(&QTimer::start));
    connect(m_regularExpression, &QCheckBox::toggled, this, &ExplorerWindow::applyFilter);
    connect(m_filterDelay, &QTimer::timeout, this, &ExplorerWindow::applyFilter);
    connect(m_hiding, &PhraseHidingBar::changed, this,
            [this] { m_model->setRefinement(m_hiding->refinement()); });
    connect(m_measures, &MeasuresBar::filterChanged, this,
            [this] { m_model->setMeasureFilter(m_measures->filter()); });
    connect(m_keyness, &KeynessBar::presenceChanged, this,
            [this] { m_model->setPresence(m_keyness->presence()); });
    connect(m_model, &ResultsFilterModel::countsChanged, this, &ExplorerWindow::showCounts);
    // Filtering and removing move or drop the current row without always saying so.
    connect(m_model, &QAbstractItemModel::modelReset, this, &ExplorerWindow::currentRowChanged);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &ExplorerWindow::currentRowChanged);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &ExplorerWindow::currentRowChanged);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ExplorerWindow::currentRowChanged);
    connect(m_tickShown, &QPushButton::clicked, m_model, &ResultsFilterModel::tickAllShown);
    connect(m_untickAll, &QPushButton::clicked, m_model, &ResultsFilterModel::untickAll);
    connect(m_remove, &QPushButton::clicked, this, &ExplorerWindow::removeSelected);
    m_export = new ShownRowsExport(m_dialogs, m_title, m_list, *m_model, m_exportControls, this);
    connect(m_export, &ShownRowsExport::finished, this, &ExplorerWindow::exportFinished);
    connect(m_passages, &PassagesView::exportFinished, this, &ExplorerWindow::exportFinished);
    connect(m_documents, &DocumentsView::exportFinished, this, &ExplorerWindow::exportFinished);
    connect(m_occurrences, &OccurrencePanel::exportFinished, this, &ExplorerWindow::exportFinished);
    connect(m_occurrences, &OccurrencePanel::occurrenceChosen, m_page, &PageView::showPage);
    connect(m_occurrences, &OccurrencePanel::searchFinished, this, [this] {
        m_fileSpread->setOccurrences(m_occurrences->occurrences().found(),
                                     m_occurrences->occurrences().paths());
    });
    connect(m_fileSpread, &FileSpreadView::occurrenceChosen, m_page, &PageView::showPage);
    connect(m_passages, &PassagesView::passageChosen, this, [this](const QString &passage) {
        if (m_tabs->currentIndex() == kPassagesTab)
            showWhereItOccurs(passage);
    });
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int tab) {
        showWhereItOccurs(tab == kPassagesTab ? m_passages->currentPassage()
                                              : m_model->phraseAt(m_view->currentIndex().row()));
    });
}

void ExplorerWindow::showWhereItOccurs(const QString &words)
{
    if (words == m_occurrences->phrase())
        return;
    m_page->clear();
    m_fileSpread->setOccurrences({}, {});
    m_occurrences->showPhrase(words);
}

void ExplorerWindow::setCountedTexts(std::vector<CountedSource> sources, TextOptions options)
{
    m_passages->setCountedTexts(sources, options);
    m_documents->setCountedTexts(sources, options);
    m_occurrences->setCountedTexts(std::move(sources), options);
}

void ExplorerWindow::setCorpus(const CorpusSize &corpus, std::span<const FileSet> sets)
{
    m_measures->setCorpus(corpus);
    m_fileSpread->setFileWords(corpus.wordsByFile);
    m_model->setMeasures(std::make_shared<const ResultMeasures>(m_list.phrases(), corpus));
    std::shared_ptr<const ResultKeyness> keyness =
        m_keyness->compare(m_list.phrases(), corpus, sets);
    showKeynessColumns(m_view, keyness != nullptr);
    m_model->setKeyness(std::move(keyness));
}

void ExplorerWindow::setDataFolder(const QString &folder)
{
    m_hiding->setDataFolder(folder);
}

void ExplorerWindow::setDocumentOpener(std::function<bool(const QString &)> open)
{
    m_documents->setDocumentOpener(open);
    m_page->setOpener(std::move(open));
}

// The text filters the passages too; an invalid regular expression is named and leaves both
// lists as they were.
void ExplorerWindow::applyFilter()
{
    m_filterDelay->stop();
    const QString text = m_filterText->text();
    const bool expression = m_regularExpression->isChecked();
    if (expression) {
        const Result<PhrasePattern> pattern =
            PhrasePattern::make(text, PhrasePattern::Kind::RegularExpression);
        m_filterError->setText(pattern ? QString() : pattern.error());
        m_filterError->setVisible(!pattern);
        if (!pattern)
            return;
    } else {
        m_filterError->hide();
    }
    m_model->setFilter({text, m_minFrequency->value(), m_minFiles->value(), expression});
    m_passages->model().setFilter({text, 0, 0, expression});
}

void ExplorerWindow::showCounts()
{
    m_counts->setText(shownRowsText(*m_model, QStringLiteral("phrases")));
}

void ExplorerWindow::showResult(std::uint32_t result)
{
    if (m_model->rowOfResult(result) < 0) {
        const QSignalBlocker quiet(m_filterText);
        m_filterText->clear();
        m_minFrequency->setValue(m_minFrequency->minimum());
        m_minFiles->setValue(m_minFiles->minimum());
        m_measures->clearBounds();
        m_keyness->setPresence(SetPresence::Any);
        applyFilter();
    }
    if (m_model->rowOfResult(result) < 0)
        m_hiding->showEverything();
    const int row = m_model->rowOfResult(result);
    if (row < 0)
        return;
    const QModelIndex index = m_model->index(row, ResultsFilterModel::PhraseColumn);
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    m_view->scrollTo(index);
}

// The lower panes show the current row, or nothing when no row is current.
void ExplorerWindow::currentRowChanged()
{
    const QModelIndex current = m_view->currentIndex();
    if (m_tabs->currentIndex() == kPhrasesTab)
        showWhereItOccurs(current.isValid() ? m_model->phraseAt(current.row()) : QString());
}

// Whole selection ranges are walked rather than one index per cell: a selection may hold a
// million rows.
std::vector<int> ExplorerWindow::selectedRows() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange &range : m_view->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

bool ExplorerWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space) {
            toggleSelectedTicks();
            return true;
        }
        if (key == Qt::Key_Delete) {
            removeSelected();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Ticks the selection, or unticks it when every selected row is ticked already.
void ExplorerWindow::toggleSelectedTicks()
{
    const std::vector<int> rows = selectedRows();
    const bool allTicked = std::all_of(rows.begin(), rows.end(), [this](int row) {
        return m_list.isResultTicked(m_model->resultAt(row));
    });
    m_model->setRowsTicked(rows, !allTicked);
}

void ExplorerWindow::removeSelected()
{
    m_model->removeShownRows(selectedRows());
}

} // namespace orvanta
