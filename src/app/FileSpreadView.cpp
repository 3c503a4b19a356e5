#include "app/FileSpreadView.h"

#include "app/ExportFlow.h"
#include "app/ResultsView.h"
#include "base/DialogService.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

namespace orvanta {

// The plot, as tall as its strips, drawn where it is exposed.
class PlotCanvas final : public QWidget {
public:
    using Chosen = std::function<void(int occurrence)>;

    PlotCanvas(Chosen chosen, QWidget *parent)
        : QWidget(parent)
        , m_chosen(std::move(chosen))
    {
        setObjectName(QStringLiteral("DispersionPlot"));
        setCursor(Qt::PointingHandCursor);
        setToolTip(QStringLiteral("Click a tick to see its page."));
    }

    void setPlot(DispersionPlot plot)
    {
        m_plot = std::move(plot);
        setMinimumHeight(m_plot.sizeFor(width()).height());
        update();
    }
    const DispersionPlot &plot() const { return m_plot; }
    void click(QPoint point)
    {
        if (const int occurrence = m_plot.occurrenceAt(point, width()); occurrence >= 0)
            m_chosen(occurrence);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::white);
        m_plot.paint(painter, width(), event->rect());
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            click(event->position().toPoint());
    }

private:
    Chosen m_chosen;
    DispersionPlot m_plot;
};

FileSpreadView::FileSpreadView(DialogService &dialogs, QString title, QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_title(std::move(title))
    , m_model(new FileSpreadModel(this))
    , m_flow(new ExportFlow(dialogs, m_title, this))
{
    setObjectName(QStringLiteral("FileSpread"));
    auto *sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(m_model);
    sorted->setSortRole(FileSpreadModel::kSortRole);
    m_table = new QTreeView(this);
    m_table->setObjectName(QStringLiteral("FileSpreadTable"));
    m_table->setRootIsDecorated(false);
    m_table->setUniformRowHeights(true);
    m_table->setSortingEnabled(true);
    m_table->setModel(sorted);
    m_table->header()->setSortIndicator(FileSpreadModel::FileColumn, Qt::AscendingOrder);

    m_canvas = new PlotCanvas(
        [this](int index) {
            const Occurrence &occurrence = plot().occurrence(index);
            const std::vector<FileOccurrences> &files = plot().files();
            const auto file = std::find_if(files.begin(), files.end(), [&](const auto &f) {
                return f.source == occurrence.source;
            });
            emit occurrenceChosen(file->path, occurrence.page, occurrence.phrase,
                                  plot().placeOnPage(index));
        },
        this);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(true);
    m_png = createNamedButton("ExportPlotPng", QStringLiteral("Export Plot as PNG..."), this);
    m_svg = createNamedButton("ExportPlotSvg", QStringLiteral("Export Plot as SVG..."), this);
    connect(m_png, &QPushButton::clicked, this, [this] { exportPlot(false); });
    connect(m_svg, &QPushButton::clicked, this, [this] { exportPlot(true); });

    auto *plotPane = new QWidget(this);
    auto *plotLayout = new QVBoxLayout(plotPane);
    plotLayout->setContentsMargins(0, 0, 0, 0);
    plotLayout->addWidget(m_scroll, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_png);
    buttons->addWidget(m_svg);
    plotLayout->addLayout(buttons);
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(m_table);
    split->addWidget(plotPane);
    split->setSizes({200, 400});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);
    setOccurrences({}, {});
}

const DispersionPlot &FileSpreadView::plot() const
{
    return m_canvas->plot();
}

void FileSpreadView::setFileWords(std::vector<std::uint64_t> wordsByFile)
{
    m_wordsByFile = std::move(wordsByFile);
}

void FileSpreadView::setOccurrences(const Occurrences &found, const QStringList &paths)
{
    std::vector<FileOccurrences> files = occurrencesByFile(found, paths, m_wordsByFile);
    m_model->setFiles(files);
    m_canvas->setPlot(DispersionPlot(found, std::move(files)));
    m_png->setEnabled(!plot().isEmpty());
    m_svg->setEnabled(!plot().isEmpty());
}

void FileSpreadView::clickPlot(QPoint point)
{
    m_canvas->click(point);
}

void FileSpreadView::exportPlot(bool svg)
{
    const QString path =
        svg ? m_flow->askPath(QStringLiteral("Export Plot as SVG"),
                              QStringLiteral("SVG pictures (*.svg)"), QStringLiteral("svg"))
            : m_flow->askPath(QStringLiteral("Export Plot as PNG"),
                              QStringLiteral("PNG pictures (*.png)"), QStringLiteral("png"));
    if (path.isEmpty())
        return;
    const int width = std::max(m_canvas->width(), 640);
    const Status written = svg ? plot().writeSvg(path, width) : plot().writePng(path, width);
    if (!written.ok())
        m_dialogs.message(QStringLiteral("Cannot write %1: %2").arg(path, written.error()), m_title,
                          DialogService::Icon::Warning);
}

} // namespace orvanta
