#include "app/PassagesView.h"

#include "app/BackgroundJob.h"
#include "app/ResultsView.h"
#include "app/ShownRowsExport.h"
#include "results/ResultsFilterModel.h"
#include "results/ResultsModel.h"
#include "run/PassageSearch.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>
#include <QVBoxLayout>

#include <memory>

namespace orvanta {

PassagesView::PassagesView(TextStore &store, DialogService &dialogs, QString title, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_list(new ResultsModel(this))
    , m_model(new ResultsFilterModel(*m_list, this))
    , m_job(new BackgroundJob(this))
{
    setObjectName(QStringLiteral("PassagesView"));
    m_minimumWords = new QSpinBox(this);
    m_minimumWords->setObjectName(QStringLiteral("PassagesMinimumWords"));
    m_minimumWords->setRange(1, kMostPassageWords);
    m_minimumWords->setValue(kDefaultMinimumWords);
    m_letterPercent = new QSpinBox(this);
    m_letterPercent->setObjectName(QStringLiteral("PassagesLetterShare"));
    m_letterPercent->setRange(0, 100);
    m_letterPercent->setSuffix(QStringLiteral("%"));
    m_letterPercent->setValue(kDefaultLetterPercent);
    m_letterPercent->setToolTip(QStringLiteral(
        "Passages whose words hold a letter less often than this, such as dot leaders and "
        "tables of numbers, are hidden."));
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("PassagesCounts"));
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Passages of at least"), this));
    top->addWidget(m_minimumWords);
    top->addWidget(new QLabel(QStringLiteral("words that occur more than once"), this));
    top->addSpacing(12);
    top->addWidget(new QLabel(QStringLiteral("Words with letters at least:"), this));
    top->addWidget(m_letterPercent);
    top->addStretch(1);
    top->addWidget(m_counts);

    m_view = createResultsView("PassagesList", m_model, this);
    m_view->sortByColumn(ResultsFilterModel::WordsColumn, Qt::DescendingOrder);

    const ShownRowsControls exportControls =
        createShownRowsControls(QStringLiteral("Passages"), this);
    m_status = exportControls.status;
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(exportControls.csv);
    bottom->addWidget(exportControls.workbook);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);

    m_export =
        new ShownRowsExport(dialogs, std::move(title), *m_list, *m_model, exportControls, this);
    connect(m_export, &ShownRowsExport::finished, this, &PassagesView::exportFinished);
    connect(m_minimumWords, &QSpinBox::valueChanged, this, [this] {
        m_searched = false;
        search();
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { emit passageChosen(currentPassage()); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { emit passageChosen({}); });
    // Filtering and removing move or drop the current row without always saying so.
    const auto followCurrent = [this] { emit passageChosen(currentPassage()); };
    connect(m_model, &QAbstractItemModel::layoutChanged, this, followCurrent);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, followCurrent);
    connect(m_model, &ResultsFilterModel::countsChanged, this, &PassagesView::showCounts);
    connect(m_letterPercent, &QSpinBox::valueChanged, this, &PassagesView::applyLetterShare);
    applyLetterShare();
    showCounts();
}

void PassagesView::applyLetterShare()
{
    ListRefinement refinement;
    refinement.minimumLetterShare = m_letterPercent->value() / 100.0;
    m_model->setRefinement(refinement);
}

PassagesView::~PassagesView()
{
    stop();
}

void PassagesView::stop()
{
    m_stop.request_stop();
    m_job->waitForEnd();
    m_export->stop();
}

void PassagesView::setCountedTexts(std::vector<CountedSource> sources, TextOptions options)
{
    m_sources = std::move(sources);
    m_options = options;
    m_searched = false;
    m_stop.request_stop();
    m_list->clear();
    if (isVisible())
        search();
}

void PassagesView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    search();
}

QString PassagesView::currentPassage() const
{
    const int row = m_view->currentIndex().row();
    return row >= 0 ? m_model->phraseAt(row) : QString();
}

void PassagesView::search()
{
    if (m_searched || m_job->isRunning() || m_sources.empty())
        return; // a search under way is started again when it ends
    m_searched = true;
    m_stop = std::stop_source();
    m_status->setText(QStringLiteral("Looking for repeated passages..."));
    auto found = std::make_shared<PassageSearch>();
    m_job->start(
        [found, finder = OccurrenceFinder(m_store, m_options), sources = m_sources,
         words = m_minimumWords->value(),
         stop = m_stop.get_token()] { *found = searchPassages(finder, sources, words, stop); },
        [this, found] {
            if (!m_searched) { // the texts or the number changed meanwhile
                if (isVisible())
                    search();
                return;
            }
            // The list's own order, as for the phrases: ascending frequency, then text.
            found->passages.rows.sortForDisplay();
            m_list->setResults(std::move(found->passages.rows));
            QStringList status{leftOutPassagesText(found->passages)};
            if (!found->unavailable.isEmpty())
                status << QStringLiteral("Not read again: %1")
                              .arg(found->unavailable.join(QStringLiteral(", ")));
            status.removeAll(QString());
            m_status->setText(status.join(QLatin1Char(' ')));
            emit searchFinished();
        });
}

void PassagesView::showCounts()
{
    m_counts->setText(shownRowsText(*m_model, QStringLiteral("passages")));
}

} // namespace orvanta
