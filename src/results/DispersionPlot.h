#pragma once

#include "base/Result.h"
#include "results/FileSpread.h"

#include <QImage>
#include <QRect>

#include <vector>

class QPainter;

namespace orvanta {

// The dispersion plot of a phrase: one strip per file it occurs in, named on the left, with a
// tick at each occurrence's place in the file (its words before, as a share of the file's
// words). Drawn at any width; the strips keep their height, so the plot grows with the files.
class DispersionPlot {
public:
    static constexpr int kStripHeight = 18;
    static constexpr int kLabelWidth = 220;
    static constexpr int kMargin = 6;
    // A click this far from a tick still chooses it.
    static constexpr int kReach = 3;

    DispersionPlot() = default;
    DispersionPlot(const Occurrences &found, std::vector<FileOccurrences> files);

    bool isEmpty() const { return m_files.empty(); }
    const std::vector<FileOccurrences> &files() const { return m_files; }
    QSize sizeFor(int width) const;
    // Draws the strips that meet `exposed` (all of them when it is empty).
    void paint(QPainter &painter, int width, const QRect &exposed = {}) const;
    // The occurrence whose tick is nearest `point`, within reach; -1 for none.
    int occurrenceAt(QPoint point, int width) const;
    // Which of the phrase's occurrences on its page the occurrence is, from 0 in text order.
    int placeOnPage(int occurrence) const;
    const Occurrence &occurrence(int index) const { return m_found[std::size_t(index)]; }

    // The plot as a picture `width` pixels wide, on white.
    QImage image(int width) const;
    // Writes the plot as PNG or as SVG, replacing the file only once it is complete.
    Status writePng(const QString &path, int width) const;
    Status writeSvg(const QString &path, int width) const;

private:
    struct Tick {
        double position;
        int occurrence;
        bool operator<(const Tick &other) const { return position < other.position; }
    };
    int plotLeft() const { return kLabelWidth + kMargin; }
    int plotWidth(int width) const;
    int tickX(double position, int width) const;
    void paintStrip(QPainter &painter, std::size_t strip, int width) const;

    std::vector<Occurrence> m_found;
    std::vector<FileOccurrences> m_files;
    std::vector<std::vector<Tick>> m_ticks; // by strip, by position
};

} // namespace orvanta
