#include "app/PageView.h"

#include "app/BackgroundJob.h"
#include "base/DialogService.h"
#include "results/DesktopOpener.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace orvanta {

PageView::PageView(DialogService &dialogs, QString title, QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_title(std::move(title))
    , m_job(new BackgroundJob(this))
{
    setObjectName(QStringLiteral("PageView"));
    m_caption = new QLabel(QStringLiteral("Choose an occurrence to see its page."), this);
    m_caption->setObjectName(QStringLiteral("PageCaption"));
    m_caption->setWordWrap(true);
    m_openButton = new QPushButton(QStringLiteral("Open PDF"), this);
    m_openButton->setObjectName(QStringLiteral("PageOpen"));
    m_openButton->setEnabled(false);
    m_image = new QLabel;
    m_image->setObjectName(QStringLiteral("PageImage"));
    m_image->setAlignment(Qt::AlignCenter);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_image);
    m_scroll->setWidgetResizable(true);
    m_scroll->setAlignment(Qt::AlignCenter);

    auto *top = new QHBoxLayout;
    top->addWidget(m_caption, 1);
    top->addWidget(m_openButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(m_scroll, 1);
    connect(m_openButton, &QPushButton::clicked, this, &PageView::openPdf);
}

PageView::~PageView()
{
    stop();
}

void PageView::stop()
{
    m_pending.reset();
    m_job->waitForEnd();
}

bool PageView::hasImage() const
{
    return !m_image->pixmap().isNull();
}

void PageView::clear()
{
    m_pending.reset();
    m_path.clear();
    m_image->clear();
    m_caption->setText(QStringLiteral("Choose an occurrence to see its page."));
    m_openButton->setEnabled(false);
}

void PageView::showPage(const QString &path, int page, const QString &phrase, int place)
{
    m_path = path;
    m_openButton->setEnabled(true);
    const Request request{path, page, phrase, place};
    if (m_job->isRunning())
        m_pending = request; // only the last choice is drawn
    else
        draw(request);
}

void PageView::draw(const Request &request)
{
    m_drawing = request;
    m_caption->setText(QStringLiteral("%1, page %2: drawing...")
                           .arg(QFileInfo(request.path).fileName())
                           .arg(request.page));
    m_drawn = std::make_shared<std::optional<Result<PhrasePage>>>();
    // Print size, at the screen's own density of pixels.
    const double dpi = logicalDpiY() * devicePixelRatioF();
    m_job->start(
        [request, dpi, drawn = m_drawn] {
            drawn->emplace(
                drawPhrasePage(request.path, request.page, request.phrase, request.place, dpi));
        },
        [this] { finishDrawing(); });
}

void PageView::finishDrawing()
{
    if (m_pending) {
        draw(*std::exchange(m_pending, std::nullopt));
        return;
    }
    if (m_path.isEmpty())
        return; // cleared while it was drawn
    const Result<PhrasePage> &drawn = **m_drawn;
    if (!drawn.ok()) {
        m_image->clear();
        m_caption->setText(drawn.error());
        emit pageShown();
        return;
    }
    QPixmap page = QPixmap::fromImage(drawn->image);
    page.setDevicePixelRatio(devicePixelRatioF());
    m_image->setPixmap(page);
    const QString place =
        QStringLiteral("%1, page %2").arg(QFileInfo(m_drawing.path).fileName()).arg(m_drawing.page);
    m_caption->setText(drawn->marks > 0
                           ? place
                           : place + QStringLiteral(" (the phrase could not be marked on it)"));
    if (!drawn->chosen.isEmpty()) {
        const QPointF centre = QRectF(drawn->chosen).center() / devicePixelRatioF();
        m_scroll->ensureVisible(int(centre.x()), int(centre.y()), m_scroll->viewport()->width() / 3,
                                m_scroll->viewport()->height() / 3);
    }
    emit pageShown();
}

void PageView::openPdf()
{
    if (m_path.isEmpty())
        return;
    const auto open = m_open ? m_open : openWithDesktopProgram;
    if (!open(m_path))
        m_dialogs.message(cannotOpenMessage(QDir::toNativeSeparators(m_path)), m_title);
}

} // namespace orvanta
