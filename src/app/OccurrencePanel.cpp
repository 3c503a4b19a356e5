#include "app/OccurrencePanel.h"

#include "app/BackgroundJob.h"
#include "app/ResultsView.h"
#include "app/ShownRowsExport.h"
#include "app/SortWordDelegate.h"
#include "app/WholeNameTips.h"
#include "results/ConcordanceRows.h"
#include "results/OccurrencesModel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace orvanta {

namespace {

struct KeyChoice {
    const char *caption;
    std::optional<ConcordanceKey> key;
};

constexpr KeyChoice kKeyChoices[] = {
    {"Text order", std::nullopt},
    {"1st word left", ConcordanceKey::Left1},
    {"2nd word left", ConcordanceKey::Left2},
    {"3rd word left", ConcordanceKey::Left3},
    {"1st word right", ConcordanceKey::Right1},
    {"2nd word right", ConcordanceKey::Right2},
    {"3rd word right", ConcordanceKey::Right3},
    {"File", ConcordanceKey::File},
};

QTreeView *createList(OccurrencesModel *model, QWidget *parent)
{
    auto *list = new QTreeView(parent);
    list->setObjectName(QStringLiteral("OccurrenceList"));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setItemsExpandable(false);
    list->setAllColumnsShowFocus(true);
    list->setModel(model);
    auto *delegate = new SortWordDelegate(list);
    list->setItemDelegateForColumn(OccurrencesModel::BeforeColumn, delegate);
    list->setItemDelegateForColumn(OccurrencesModel::AfterColumn, delegate);
    list->setItemDelegateForColumn(OccurrencesModel::FileColumn, new WholeNameTips(list));
    QHeaderView *header = list->header();
    header->setStretchLastSection(true);
    header->resizeSection(OccurrencesModel::FileColumn, 100);
    header->resizeSection(OccurrencesModel::PageColumn, 40);
    header->resizeSection(OccurrencesModel::LineColumn, 40);
    header->resizeSection(OccurrencesModel::BeforeColumn, 160);
    return list;
}

} // namespace

OccurrencePanel::OccurrencePanel(TextStore &store, DialogService &dialogs, QString title,
                                 QWidget *parent)
    : QGroupBox(QStringLiteral("Where it occurs"), parent)
    , m_store(store)
    , m_model(new OccurrencesModel(this))
    , m_job(new BackgroundJob(this))
{
    setObjectName(QStringLiteral("OccurrencePanel"));
    m_list = createList(m_model, this);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("OccurrenceStatus"));
    m_status->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(createSortRow());
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);
    layout->addLayout(createExportRow(dialogs, std::move(title)));
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { chooseRow(current.row()); });
}

// Three keys, as corpus tools have them: ties on the first are ordered by the second, then the
// third. The words each key orders by show in its colour.
QLayout *OccurrencePanel::createSortRow()
{
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Sort by:"), this));
    for (size_t n = 0; n < m_sortKeys.size(); ++n) {
        auto *box = new QComboBox(this);
        box->setObjectName(QStringLiteral("OccurrenceSort%1").arg(n + 1));
        for (const KeyChoice &choice : kKeyChoices)
            box->addItem(QLatin1String(choice.caption));
        connect(box, &QComboBox::currentIndexChanged, this, &OccurrencePanel::applyOrder);
        row->addWidget(box);
        m_sortKeys[n] = box;
    }
    row->addStretch(1);
    return row;
}

QLayout *OccurrencePanel::createExportRow(DialogService &dialogs, QString title)
{
    const ShownRowsControls controls = createShownRowsControls(QStringLiteral("Concordance"), this);
    m_export = new ShownRowsExport(
        dialogs, std::move(title),
        [this] { return std::make_shared<ConcordanceRows>(m_model->linesShown()); }, controls,
        this);
    connect(m_export, &ShownRowsExport::finished, this, &OccurrencePanel::exportFinished);
    auto *row = new QHBoxLayout;
    row->addWidget(controls.status, 1);
    row->addWidget(controls.csv);
    row->addWidget(controls.workbook);
    return row;
}

void OccurrencePanel::applyOrder()
{
    std::vector<ConcordanceKey> keys;
    for (const QComboBox *box : m_sortKeys) {
        if (const std::optional<ConcordanceKey> key = kKeyChoices[box->currentIndex()].key)
            keys.push_back(*key);
    }
    m_model->setOrder(std::move(keys), m_options);
}

OccurrencePanel::~OccurrencePanel()
{
    stop();
}

void OccurrencePanel::setCountedTexts(std::vector<CountedSource> sources, TextOptions options)
{
    m_sources = std::move(sources);
    m_options = options;
    applyOrder();
}

void OccurrencePanel::stop()
{
    m_pending.reset();
    m_stop.request_stop();
    m_job->waitForEnd();
    m_export->stop();
}

void OccurrencePanel::showPhrase(const QString &phrase)
{
    if (m_job->isRunning()) {
        m_pending = phrase;
        m_stop.request_stop();
        return;
    }
    m_searched = phrase;
    m_model->clear();
    if (phrase.isEmpty()) {
        m_status->clear();
        return;
    }
    startSearch();
}

void OccurrencePanel::startSearch()
{
    m_status->setText(QStringLiteral("Looking for \u201c%1\u201d...").arg(m_searched));
    m_stop = std::stop_source();
    m_found = std::make_shared<Occurrences>();
    const OccurrenceFinder finder(m_store, m_options);
    m_job->start([finder, sources = m_sources, phrase = m_searched, found = m_found,
                  stop = m_stop.get_token()] { *found = finder.find(sources, phrase, stop); },
                 [this] { finishSearch(); });
}

void OccurrencePanel::finishSearch()
{
    if (m_pending) {
        showPhrase(*std::exchange(m_pending, std::nullopt));
        return;
    }
    QStringList paths;
    for (const CountedSource &source : m_sources)
        paths << source.path;
    m_model->setOccurrences(std::move(*m_found), paths);
    m_list->resizeColumnToContents(OccurrencesModel::PhraseColumn);
    m_status->setText(summary());
    emit searchFinished();
}

QString OccurrencePanel::summary() const
{
    const int count = m_model->rowCount();
    QString text =
        QStringLiteral("\u201c%1\u201d: ").arg(m_searched) +
        (count == 1 ? QStringLiteral("1 occurrence") : QStringLiteral("%1 occurrences").arg(count));
    const int files = m_model->fileCount();
    text += files == 1 ? QStringLiteral(" in 1 file.") : QStringLiteral(" in %1 files.").arg(files);
    if (!m_model->unavailable().isEmpty())
        text += QStringLiteral(" Not searched, as their text is no longer at hand: %1")
                    .arg(m_model->unavailable().join(QStringLiteral(", ")));
    return text;
}

void OccurrencePanel::chooseRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    emit occurrenceChosen(m_model->pathAt(row), m_model->occurrenceAt(row).page,
                          m_model->occurrenceAt(row).phrase, m_model->placeOnPage(row));
}

} // namespace orvanta
