#include "app/DocumentsView.h"

#include "app/BackgroundJob.h"
#include "app/PairView.h"
#include "app/ResultsView.h"
#include "app/ShownRowsExport.h"
#include "results/OverlapMatrixModel.h"
#include "results/OverlapPairsModel.h"
#include "run/OverlapSearch.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

namespace orvanta {

namespace {

constexpr int kMostStretchWords = 1000;
constexpr int kMatrixCellSize = 28;

QSpinBox *createNumberBox(const char *name, int least, int most, int value, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(least, most);
    box->setValue(value);
    return box;
}

QStringList pathsOf(const OverlapTexts &texts)
{
    QStringList paths;
    for (const CountedSource &source : texts.sources())
        paths << source.path;
    return paths;
}

} // namespace

DocumentsView::DocumentsView(TextStore &store, DialogService &dialogs, QString title,
                             QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_dialogs(dialogs)
    , m_title(std::move(title))
    , m_pairs(new OverlapPairsModel(this))
    , m_matrix(new OverlapMatrixModel(this))
    , m_job(new BackgroundJob(this))
{
    setObjectName(QStringLiteral("DocumentsView"));
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("DocumentsList"));
    m_list->setModel(m_pairs);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->header()->setSortIndicator(-1, Qt::AscendingOrder); // ranked until one is chosen
    m_list->setSortingEnabled(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("DocumentsTabs"));
    m_tabs->addTab(m_list, QStringLiteral("Pairs"));
    m_tabs->addTab(createMatrixPage(), QStringLiteral("Matrix"));

    const ShownRowsControls exportControls =
        createShownRowsControls(QStringLiteral("Documents"), this);
    m_status = exportControls.status;
    m_openPair = createNamedButton("DocumentsOpenPair", QStringLiteral("Side by Side"), this);
    m_openPair->setToolTip(QStringLiteral("Opens the chosen pair side by side (Enter)."));
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_openPair);
    bottom->addWidget(m_status, 1);
    bottom->addWidget(exportControls.csv);
    bottom->addWidget(exportControls.workbook);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(createSettingsRow());
    layout->addLayout(createFilterRow());
    layout->addWidget(m_tabs, 1);
    layout->addLayout(bottom);

    m_export = new ShownRowsExport(
        dialogs, m_title, [this] { return m_pairs->shownRows(); }, exportControls, this);
    connectControls();
    m_counts->setText(m_pairs->countsText());
}

DocumentsView::~DocumentsView()
{
    stop();
}

QLayout *DocumentsView::createSettingsRow()
{
    m_stretchWords =
        createNumberBox("DocumentsStretchWords", 1, kMostStretchWords, kDefaultStretchWords, this);
    m_ignoreCommon = new QCheckBox(QStringLiteral("Ignore stretches found in more than"), this);
    m_ignoreCommon->setObjectName(QStringLiteral("DocumentsIgnoreCommon"));
    m_ignoreCommon->setToolTip(
        QStringLiteral("Text most files hold, such as a template or a licence header, then "
                       "counts as shared by no pair."));
    m_ignorePercent =
        createNumberBox("DocumentsIgnorePercent", 1, 100, kDefaultIgnorePercent, this);
    m_ignorePercent->setSuffix(QStringLiteral("%"));
    m_ignorePercent->setEnabled(false);
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("DocumentsCounts"));
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Shared stretches of"), this));
    row->addWidget(m_stretchWords);
    row->addWidget(new QLabel(QStringLiteral("words"), this));
    row->addSpacing(12);
    row->addWidget(m_ignoreCommon);
    row->addWidget(m_ignorePercent);
    row->addWidget(new QLabel(QStringLiteral("of the files"), this));
    row->addStretch(1);
    row->addWidget(m_counts);
    return row;
}

QLayout *DocumentsView::createFilterRow()
{
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("DocumentsNameFilter"));
    m_name->setPlaceholderText(QStringLiteral("part of either file's name"));
    m_name->setClearButtonEnabled(true);
    m_minimumShare = createNumberBox("DocumentsMinimumShare", 0, 100, 0, this);
    m_minimumShare->setSuffix(QStringLiteral("%"));
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Files:"), this));
    row->addWidget(m_name, 1);
    row->addWidget(new QLabel(QStringLiteral("Larger share at least:"), this));
    row->addWidget(m_minimumShare);
    return row;
}

QWidget *DocumentsView::createMatrixPage()
{
    auto *page = new QWidget;
    m_matrixNote = new QLabel(page);
    m_matrixNote->setObjectName(QStringLiteral("DocumentsMatrixNote"));
    m_matrixNote->setWordWrap(true);
    m_matrixView = new QTableView(page);
    m_matrixView->setObjectName(QStringLiteral("DocumentsMatrix"));
    m_matrixView->setModel(m_matrix);
    m_matrixView->setSelectionMode(QAbstractItemView::NoSelection); // the colours stay seen
    m_matrixView->horizontalHeader()->setDefaultSectionSize(kMatrixCellSize);
    m_matrixView->horizontalHeader()->setMinimumSectionSize(kMatrixCellSize);
    m_matrixView->verticalHeader()->setDefaultSectionSize(kMatrixCellSize);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_matrixNote);
    layout->addWidget(m_matrixView, 1);
    return page;
}

void DocumentsView::connectControls()
{
    connect(m_export, &ShownRowsExport::finished, this, &DocumentsView::exportFinished);
    connect(m_stretchWords, &QSpinBox::valueChanged, this, &DocumentsView::settingsChanged);
    connect(m_ignorePercent, &QSpinBox::valueChanged, this, &DocumentsView::settingsChanged);
    connect(m_ignoreCommon, &QCheckBox::toggled, this, [this](bool on) {
        m_ignorePercent->setEnabled(on);
        settingsChanged();
    });
    connect(m_name, &QLineEdit::textChanged, this, &DocumentsView::applyFilter);
    connect(m_minimumShare, &QSpinBox::valueChanged, this, &DocumentsView::applyFilter);
    connect(m_pairs, &OverlapPairsModel::countsChanged, this,
            [this] { m_counts->setText(m_pairs->countsText()); });
    connect(m_list, &QTreeView::activated, this, &DocumentsView::openRow);
    connect(m_list, &QTreeView::doubleClicked, this, &DocumentsView::openRow);
    connect(m_openPair, &QPushButton::clicked, this, [this] { openRow(m_list->currentIndex()); });
    connect(m_matrixView, &QTableView::clicked, this, [this](const QModelIndex &cell) {
        if (m_matrix->largerShare(cell.row(), cell.column()) > 0)
            openPair(std::min(cell.row(), cell.column()), std::max(cell.row(), cell.column()));
    });
}

OverlapSettings DocumentsView::settings() const
{
    return {std::uint32_t(m_stretchWords->value()),
            m_ignoreCommon->isChecked() ? double(m_ignorePercent->value()) : 100.0};
}

void DocumentsView::setCountedTexts(std::vector<CountedSource> sources, TextOptions options)
{
    m_sources = std::move(sources);
    m_options = options;
    ++m_generation;
    m_stop.request_stop();
    if (m_pairView) {
        m_pairView->stop();
        m_pairView->close();
    }
    m_texts.reset();
    m_overlap.reset();
    m_compared = false;
    m_pairs->clear();
    m_matrix->clear();
    m_matrixNote->clear();
    m_status->clear();
    if (isVisible())
        compare();
}

void DocumentsView::setDocumentOpener(std::function<bool(const QString &)> open)
{
    m_open = std::move(open);
    if (m_pairView)
        m_pairView->setOpener(m_open);
}

void DocumentsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    compare();
}

void DocumentsView::settingsChanged()
{
    m_compared = false;
    if (m_texts)
        m_stop.request_stop(); // the comparison under way is of the settings before
    compare();
}

void DocumentsView::stop()
{
    m_halted = true;
    m_stop.request_stop();
    m_job->waitForEnd();
    m_export->stop();
    if (m_pairView) {
        m_pairView->stop();
        m_pairView->close();
    }
}

// The texts are read only when they are not at hand; a job under way starts the next when it
// ends.
void DocumentsView::compare()
{
    m_halted = false;
    if (m_compared || m_job->isRunning() || m_sources.empty())
        return;
    m_compared = true;
    m_stop = std::stop_source();
    m_status->setText(m_texts ? QStringLiteral("Comparing the files...")
                              : QStringLiteral("Reading the files to compare them..."));
    auto texts = std::make_shared<std::shared_ptr<const OverlapTexts>>(m_texts);
    auto overlap = std::make_shared<std::shared_ptr<const DocumentOverlap>>();
    m_job->start(
        [texts, overlap, finder = OccurrenceFinder(m_store, m_options),
         sources = m_texts ? std::vector<CountedSource>() : m_sources, settings = settings(),
         stop = m_stop.get_token()] {
            if (!*texts)
                *texts = OverlapTexts::read(finder, sources, stop);
            if (*texts && !stop.stop_requested())
                *overlap =
                    std::make_shared<const DocumentOverlap>((*texts)->compare(settings, stop));
            if (stop.stop_requested())
                overlap->reset(); // cut short
        },
        [this, texts, overlap, generation = m_generation] {
            if (generation == m_generation && *texts)
                m_texts = *texts; // kept even when the comparison was cut short
            if (generation == m_generation && m_compared && *overlap) {
                showCompared(*overlap);
                return;
            }
            // Other texts or settings were given meanwhile, or the job was stopped.
            m_compared = false;
            if (!m_halted && isVisible())
                compare();
        });
}

void DocumentsView::showCompared(std::shared_ptr<const DocumentOverlap> overlap)
{
    m_overlap = std::move(overlap);
    const QStringList paths = pathsOf(*m_texts);
    m_pairs->setPairs(paths, m_overlap->pairs());
    const bool inMatrix = m_matrix->setPairs(paths, m_overlap->pairs());
    m_matrixNote->setText(
        inMatrix ? QStringLiteral("Each cell: the larger share of its pair. Click one to open "
                                  "the pair side by side.")
                 : QStringLiteral("The matrix shows at most %1 files; the %2 files of this run "
                                  "are compared in the list of pairs only.")
                       .arg(OverlapMatrixModel::kMostFiles)
                       .arg(paths.size()));
    QString status = QStringLiteral("%1 files compared.").arg(paths.size());
    if (!m_texts->unavailable().isEmpty())
        status += QStringLiteral(" Not read again: %1")
                      .arg(m_texts->unavailable().join(QStringLiteral(", ")));
    m_status->setText(status);
    emit compared();
}

void DocumentsView::openRow(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const OverlapPair &pair = m_pairs->pairAt(index.row());
    openPair(int(pair.fileA), int(pair.fileB));
}

void DocumentsView::openPair(int first, int second)
{
    if (!m_texts || !m_overlap)
        return;
    if (!m_pairView) {
        m_pairView = new PairView(m_dialogs, m_title, this);
        if (m_open)
            m_pairView->setOpener(m_open);
    }
    m_pairView->showPair(m_texts, m_overlap, first, second);
    m_pairView->show();
    m_pairView->raise();
    m_pairView->activateWindow();
}

void DocumentsView::applyFilter()
{
    m_pairs->setFilter({m_name->text(), m_minimumShare->value() / 100.0});
}

} // namespace orvanta
