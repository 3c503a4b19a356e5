#include "app/OccurrencePanel.h"

#include "app/BackgroundJob.h"
#include "results/OccurrencesModel.h"

#include <QHeaderView>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

namespace orvanta {

namespace {

// The words before a phrase are cut at their start, so the ones next to it stay in view.
class LeftElidingDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideLeft;
    }
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
    list->setItemDelegateForColumn(OccurrencesModel::BeforeColumn, new LeftElidingDelegate(list));
    QHeaderView *header = list->header();
    header->setStretchLastSection(true);
    header->resizeSection(OccurrencesModel::FileColumn, 100);
    header->resizeSection(OccurrencesModel::PageColumn, 40);
    header->resizeSection(OccurrencesModel::LineColumn, 40);
    header->resizeSection(OccurrencesModel::BeforeColumn, 160);
    return list;
}

} // namespace

OccurrencePanel::OccurrencePanel(TextStore &store, QWidget *parent)
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
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { chooseRow(current.row()); });
}

OccurrencePanel::~OccurrencePanel()
{
    stop();
}

void OccurrencePanel::setCountedTexts(std::vector<CountedSource> sources, TextOptions options)
{
    m_sources = std::move(sources);
    m_options = options;
}

void OccurrencePanel::stop()
{
    m_pending.reset();
    m_stop.request_stop();
    m_job->waitForEnd();
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
