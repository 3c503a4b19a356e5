#include "results/PhrasePage.h"

#include <QDir>
#include <QPainter>

#include <poppler-qt6.h>

#include <algorithm>
#include <mutex>

namespace orvanta {

namespace {

constexpr double kPointsPerInch = 72;
constexpr double kLeastDpi = 36;
constexpr double kMostDpi = 300;

Failure cannotShow(const QString &why)
{
    return Failure{QStringLiteral("This page cannot be shown: %1").arg(why)};
}

QRect toPixels(const QRectF &points, double dpi)
{
    const double scale = dpi / kPointsPerInch;
    return QRectF(points.topLeft() * scale, points.size() * scale)
        .toAlignedRect()
        .adjusted(-2, -2, 2, 2);
}

void mark(QImage &image, const QList<QRect> &places, int chosen)
{
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 214, 0, 90));
    for (const QRect &place : places)
        painter.drawRect(place);
    if (chosen < 0 || chosen >= places.size())
        return;
    painter.setBrush(QColor(255, 140, 0, 110));
    painter.setPen(QPen(QColor(200, 60, 0), 2));
    painter.drawRect(places[chosen]);
}

// Poppler writes what it makes of damaged files to stderr; the page view says it in words.
void quietPoppler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Poppler::setDebugErrorFunction([](const QString &, const QVariant &) {}, QVariant());
    });
}

} // namespace

Result<PhrasePage> drawPhrasePage(const QString &path, int page, const QString &phrase, int chosen,
                                  double dpi)
{
    quietPoppler();
    const QString shown = QDir::toNativeSeparators(path);
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (!document)
        return cannotShow(QStringLiteral("%1 cannot be opened as a PDF.").arg(shown));
    if (document->isLocked())
        return cannotShow(QStringLiteral("%1 is protected by a password.").arg(shown));
    if (page < 1 || page > document->numPages())
        return cannotShow(QStringLiteral("%1 has no page %2.").arg(shown).arg(page));
    const std::unique_ptr<Poppler::Page> drawn = document->page(page - 1);
    if (!drawn)
        return cannotShow(QStringLiteral("page %1 of %2 cannot be read.").arg(page).arg(shown));
    dpi = std::clamp(dpi, kLeastDpi, kMostDpi);
    PhrasePage result;
    result.image = drawn->renderToImage(dpi, dpi).convertToFormat(QImage::Format_RGB32);
    if (result.image.isNull())
        return cannotShow(QStringLiteral("drawing page %1 of %2 failed.").arg(page).arg(shown));
    QList<QRect> places;
    const auto flags = Poppler::Page::IgnoreCase | Poppler::Page::AcrossLines;
    for (const QRectF &found : drawn->search(phrase.simplified(), flags))
        places << toPixels(found, dpi);
    mark(result.image, places, chosen);
    result.marks = int(places.size());
    if (chosen >= 0 && chosen < places.size())
        result.chosen = places[chosen];
    return result;
}

} // namespace orvanta
