#include "results/DispersionPlot.h"

#include "base/OutputFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace orvanta {

namespace {

const QColor kStripColour(0xee, 0xee, 0xee);
const QColor kTickColour(0x1f, 0x4e, 0x9a);

Status writeBytes(const QString &path, const QByteArray &bytes)
{
    OutputFile file(path);
    if (!file.open() || !file.write(bytes) || !file.finish())
        return Failure{file.errorString()};
    return {};
}

} // namespace

DispersionPlot::DispersionPlot(const Occurrences &found, std::vector<FileOccurrences> files)
    : m_found(found.found)
{
    // Without a file's words (after a count within a memory limit) its ticks have no place.
    for (FileOccurrences &file : files) {
        if (file.words > 0)
            m_files.push_back(std::move(file));
    }
    m_ticks.reserve(m_files.size());
    for (const FileOccurrences &file : m_files) {
        std::vector<Tick> ticks;
        ticks.reserve(file.occurrences.size());
        for (const int index : file.occurrences)
            ticks.push_back({file.positionOf(m_found[std::size_t(index)]), index});
        std::stable_sort(ticks.begin(), ticks.end());
        m_ticks.push_back(std::move(ticks));
    }
}

QSize DispersionPlot::sizeFor(int width) const
{
    return {width, 2 * kMargin + int(m_files.size()) * kStripHeight};
}

int DispersionPlot::plotWidth(int width) const
{
    return std::max(1, width - plotLeft() - kMargin);
}

int DispersionPlot::tickX(double position, int width) const
{
    return plotLeft() + int(std::floor(position * plotWidth(width)));
}

void DispersionPlot::paint(QPainter &painter, int width, const QRect &exposed) const
{
    std::size_t first = 0;
    std::size_t last = m_files.size();
    if (!exposed.isEmpty()) {
        first = std::size_t(
            std::clamp((exposed.top() - kMargin) / kStripHeight, 0, int(m_files.size())));
        last = std::size_t(
            std::clamp((exposed.bottom() - kMargin) / kStripHeight + 1, 0, int(m_files.size())));
    }
    for (std::size_t strip = first; strip < last; ++strip)
        paintStrip(painter, strip, width);
}

void DispersionPlot::paintStrip(QPainter &painter, std::size_t strip, int width) const
{
    const FileOccurrences &file = m_files[strip];
    const int top = kMargin + int(strip) * kStripHeight;
    const QString label =
        QStringLiteral("%1 (%2)").arg(QFileInfo(file.path).fileName()).arg(file.occurrences.size());
    painter.setPen(Qt::black);
    painter.drawText(
        QRect(kMargin, top, kLabelWidth - kMargin, kStripHeight), Qt::AlignLeft | Qt::AlignVCenter,
        painter.fontMetrics().elidedText(label, Qt::ElideMiddle, kLabelWidth - kMargin));
    painter.fillRect(QRect(plotLeft(), top + 2, plotWidth(width), kStripHeight - 4), kStripColour);
    painter.setPen(kTickColour);
    for (const Tick &tick : m_ticks[strip]) {
        const int x = tickX(tick.position, width);
        painter.drawLine(x, top + 2, x, top + kStripHeight - 3);
    }
}

int DispersionPlot::occurrenceAt(QPoint point, int width) const
{
    const int strip = (point.y() - kMargin) / kStripHeight;
    if (point.y() < kMargin || strip >= int(m_files.size()))
        return -1;
    int nearest = -1;
    int distance = kReach + 1;
    for (const Tick &tick : m_ticks[std::size_t(strip)]) {
        const int away = std::abs(tickX(tick.position, width) - point.x());
        if (away < distance) {
            distance = away;
            nearest = tick.occurrence;
        }
    }
    return nearest;
}

int DispersionPlot::placeOnPage(int occurrence) const
{
    const Occurrence &chosen = m_found[std::size_t(occurrence)];
    int place = 0;
    for (int i = occurrence - 1; i >= 0; --i) {
        const Occurrence &before = m_found[std::size_t(i)];
        if (before.source != chosen.source || before.page < chosen.page)
            break;
        place += before.page == chosen.page;
    }
    return place;
}

QImage DispersionPlot::image(int width) const
{
    QImage picture(sizeFor(width), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    paint(painter, width);
    return picture;
}

Status DispersionPlot::writePng(const QString &path, int width) const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image(width).save(&buffer, "PNG"))
        return Failure{QStringLiteral("the picture could not be made")};
    return writeBytes(path, bytes);
}

Status DispersionPlot::writeSvg(const QString &path, int width) const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(sizeFor(width));
    svg.setViewBox(QRect(QPoint(0, 0), sizeFor(width)));
    svg.setTitle(QStringLiteral("Dispersion plot"));
    {
        QPainter painter(&svg);
        painter.fillRect(QRect(QPoint(0, 0), sizeFor(width)), Qt::white);
        paint(painter, width);
    }
    return writeBytes(path, bytes);
}

} // namespace orvanta
