#include "TestSupport.h"
#include "results/DispersionPlot.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

constexpr int kWidth = DispersionPlot::kLabelWidth + DispersionPlot::kMargin * 2 + 1000;

Occurrence at(int source, int page, std::uint64_t word)
{
    Occurrence occurrence;
    occurrence.source = source;
    occurrence.page = page;
    occurrence.word = word;
    occurrence.phrase = QStringLiteral("the end");
    return occurrence;
}

// Files of 100, 50 (no occurrence) and 200 words, as the finder gives them: by file, then text.
Occurrences sample()
{
    return {{at(0, 1, 0), at(0, 1, 10), at(0, 2, 50), at(2, 3, 100), at(2, 3, 199)}, {}};
}

const QStringList kPaths = {"/in/a.pdf", "/in/b.pdf", "/in/c.pdf"};
const std::vector<std::uint64_t> kWords = {100, 50, 200};

int stripMiddle(int strip)
{
    return DispersionPlot::kMargin + strip * DispersionPlot::kStripHeight +
           DispersionPlot::kStripHeight / 2;
}

int tickX(double position)
{
    return DispersionPlot::kLabelWidth + DispersionPlot::kMargin + int(position * 1000);
}

} // namespace

TEST(FileSpread, OccurrencesGoToTheFilesTheyOccurInWithFrequencyAndPerMillionOfThatFile)
{
    const std::vector<FileOccurrences> files = occurrencesByFile(sample(), kPaths, kWords);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].occurrences, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(files[1].source, 2);
    EXPECT_EQ(files[1].path, QStringLiteral("/in/c.pdf"));
    EXPECT_DOUBLE_EQ(files[1].positionOf(sample().found[4]), 199.0 / 200);

    FileSpreadModel model;
    model.setFiles(files);
    const struct {
        int row;
        int column;
        const char *shown;
    } cells[] = {
        {0, FileSpreadModel::FileColumn, "a.pdf"},
        {0, FileSpreadModel::FrequencyColumn, "3"},
        {0, FileSpreadModel::PerMillionColumn, "30000.0000"},
        {1, FileSpreadModel::PerMillionColumn, "10000.0000"},
    };
    for (const auto &c : cells)
        EXPECT_EQ(model.data(model.index(c.row, c.column)).toString(), c.shown) << c.row;
    EXPECT_EQ(model.data(model.index(1, 0), Qt::ToolTipRole).toString(), kPaths[2]);
}

TEST(DispersionPlot, AClickNearATickChoosesItsOccurrenceAndItsPlaceOnThePage)
{
    const DispersionPlot plot(sample(), occurrencesByFile(sample(), kPaths, kWords));
    EXPECT_EQ(plot.sizeFor(kWidth).height(),
              2 * DispersionPlot::kMargin + 2 * DispersionPlot::kStripHeight);
    const struct {
        QPoint point;
        int occurrence;
        int place;
    } cases[] = {
        {{tickX(0.0), stripMiddle(0)}, 0, 0},
        {{tickX(0.1) + DispersionPlot::kReach, stripMiddle(0)}, 1, 1},
        {{tickX(0.5) - 1, stripMiddle(0)}, 2, 0}, // the first on page 2
        {{tickX(0.995), stripMiddle(1)}, 4, 1},
        {{tickX(0.3), stripMiddle(0)}, -1, -1}, // between ticks
        {{tickX(0.1) + DispersionPlot::kReach + 1, stripMiddle(0)}, -1, -1},
        {{tickX(0.5), stripMiddle(2)}, -1, -1}, // below the strips
        {{tickX(0.0), 1}, -1, -1},              // above them
    };
    for (const auto &c : cases) {
        const int chosen = plot.occurrenceAt(c.point, kWidth);
        EXPECT_EQ(chosen, c.occurrence) << c.point.x() << ',' << c.point.y();
        EXPECT_EQ(chosen >= 0 ? plot.placeOnPage(chosen) : -1, c.place) << chosen;
    }
}

// A file whose words are not known (a count within a memory limit) gets no strip.
TEST(DispersionPlot, FilesOfUnknownSizeHaveNoStrip)
{
    const std::vector<std::uint64_t> words = {0, 50, 200};
    const DispersionPlot plot(sample(), occurrencesByFile(sample(), kPaths, words));
    ASSERT_EQ(plot.files().size(), 1u);
    EXPECT_EQ(plot.files()[0].source, 2);
    EXPECT_TRUE(DispersionPlot(sample(), occurrencesByFile(sample(), kPaths, {})).isEmpty());
}

TEST(DispersionPlot, TheImageHasATickWhereEachOccurrenceStandsAndExportsAsPngAndSvg)
{
    const DispersionPlot plot(sample(), occurrencesByFile(sample(), kPaths, kWords));
    const QImage image = plot.image(kWidth);
    const auto ink = [&](int x, int strip) { return image.pixel(x, stripMiddle(strip)); };
    const QRgb background = ink(tickX(0.3), 0);
    EXPECT_NE(ink(tickX(0.1), 0), background);
    EXPECT_NE(ink(tickX(0.5), 1), background);
    EXPECT_EQ(ink(tickX(0.3), 1), background);

    const ScopedTmpdir tmp;
    const QString png = tmp.filePath(QStringLiteral("plot.png"));
    const QString svg = tmp.filePath(QStringLiteral("plot.svg"));
    ASSERT_TRUE(plot.writePng(png, kWidth).ok());
    ASSERT_TRUE(plot.writeSvg(svg, kWidth).ok());
    EXPECT_EQ(QImage(png).size(), image.size());
    QFile written(svg);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    EXPECT_TRUE(text.contains("<svg")) << text.left(200).toStdString();
    EXPECT_TRUE(text.contains("c.pdf (2)"));
    EXPECT_FALSE(plot.writeSvg(tmp.filePath(QStringLiteral("missing/plot.svg")), kWidth).ok());
}
