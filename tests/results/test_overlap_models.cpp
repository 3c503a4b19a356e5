#include "QtPrinters.h"
#include "results/OverlapMatrixModel.h"
#include "results/OverlapPairsModel.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <vector>

using namespace orvanta;

namespace {

const QStringList kPaths{"/d/Alpha.pdf", "/d/beta.pdf", "/e/Gamma.pdf", "/e/delta.pdf"};

// By rank, as DocumentOverlap gives them; the last shares nothing.
const std::vector<OverlapPair> kPairs{
    {0, 1, 100, 400, 80, 90}, // 80% / 22.5%
    {1, 2, 400, 50, 100, 25}, // 25% / 50%
    {0, 2, 100, 50, 10, 5},   // 10% / 10%
    {2, 3, 50, 200, 0, 0},
};

QStringList shownPairs(const OverlapPairsModel &model)
{
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown << QStringLiteral("%1-%2").arg(model.pairAt(row).fileA).arg(model.pairAt(row).fileB);
    return shown;
}

class OverlapPairsModelTest : public ::testing::Test {
protected:
    void SetUp() override { m_model.setPairs(kPaths, kPairs); }

    OverlapPairsModel m_model;
    QAbstractItemModelTester m_tester{&m_model,
                                      QAbstractItemModelTester::FailureReportingMode::Fatal};
};

} // namespace

TEST_F(OverlapPairsModelTest, ListsThePairsThatShareWordsByRankUnderFileNames)
{
    EXPECT_EQ(shownPairs(m_model), (QStringList{"0-1", "1-2", "0-2"}));
    EXPECT_EQ(m_model.countsText(), QStringLiteral("3 of 3 pairs"));
    const auto cell = [&](int column) { return m_model.index(0, column).data().toString(); };
    EXPECT_EQ(cell(OverlapPairsModel::FileAColumn), QStringLiteral("Alpha.pdf"));
    EXPECT_EQ(cell(OverlapPairsModel::WordsBColumn), QStringLiteral("400"));
    EXPECT_EQ(cell(OverlapPairsModel::ShareBColumn), QStringLiteral("22.5%"));
    EXPECT_EQ(m_model.index(0, OverlapPairsModel::FileBColumn).data(Qt::ToolTipRole).toString(),
              kPaths[1]);
}

TEST_F(OverlapPairsModelTest, FiltersByEitherNameInAnyCaseAndByTheLargerShare)
{
    const struct {
        OverlapPairFilter filter;
        QStringList shown;
    } cases[] = {
        {{QStringLiteral("ALPHA"), 0}, {"0-1", "0-2"}},
        {{QStringLiteral("gam"), 0}, {"1-2", "0-2"}},
        {{QStringLiteral("/e/"), 0}, {}}, // folders are not part of the name
        {{{}, 0.5}, {"0-1", "1-2"}},
        {{{}, 0.51}, {"0-1"}},
        {{QStringLiteral("beta"), 0.6}, {"0-1"}},
        {{}, {"0-1", "1-2", "0-2"}},
    };
    for (const auto &c : cases) {
        m_model.setFilter(c.filter);
        EXPECT_EQ(shownPairs(m_model), c.shown)
            << c.filter.name.toStdString() << ' ' << c.filter.minimumShare;
        EXPECT_EQ(m_model.countsText(), QStringLiteral("%1 of 3 pairs").arg(c.shown.size()));
    }
}

TEST_F(OverlapPairsModelTest, SortsByAnyColumnAndBackToRank)
{
    const struct {
        int column;
        Qt::SortOrder order;
        QStringList shown;
    } cases[] = {
        {OverlapPairsModel::FileBColumn, Qt::AscendingOrder, {"0-1", "1-2", "0-2"}},
        {OverlapPairsModel::FileAColumn, Qt::AscendingOrder, {"0-1", "0-2", "1-2"}},
        {OverlapPairsModel::FileAColumn, Qt::DescendingOrder, {"1-2", "0-1", "0-2"}},
        {OverlapPairsModel::WordsAColumn, Qt::AscendingOrder, {"0-1", "0-2", "1-2"}},
        {OverlapPairsModel::SharedBColumn, Qt::DescendingOrder, {"0-1", "1-2", "0-2"}},
        {OverlapPairsModel::ShareAColumn, Qt::AscendingOrder, {"0-2", "1-2", "0-1"}},
        {OverlapPairsModel::ShareBColumn, Qt::DescendingOrder, {"1-2", "0-1", "0-2"}},
        {-1, Qt::AscendingOrder, {"0-1", "1-2", "0-2"}},
    };
    for (const auto &c : cases) {
        m_model.sort(c.column, c.order);
        EXPECT_EQ(shownPairs(m_model), c.shown) << c.column << ' ' << c.order;
    }
    m_model.sort(OverlapPairsModel::ShareAColumn, Qt::AscendingOrder);
    m_model.setFilter({QStringLiteral("beta"), 0});
    EXPECT_EQ(shownPairs(m_model), (QStringList{"1-2", "0-1"})) << "the order outlasts a filter";
    EXPECT_EQ(m_model.rowOfPair(1, 0), 1);
    EXPECT_EQ(m_model.rowOfPair(0, 2), -1);
}

// The shown pairs, in the order shown, under the command line's field names.
TEST_F(OverlapPairsModelTest, WritesTheShownPairsAsTheCommandLineDoes)
{
    m_model.setFilter({QStringLiteral("gamma"), 0});
    m_model.sort(OverlapPairsModel::SharedAColumn, Qt::AscendingOrder);
    const std::shared_ptr<ExportRows> rows = m_model.shownRows();
    m_model.clear(); // the copy outlives the list
    EXPECT_EQ(rows->headers(), (QStringList{"file_a", "file_b", "words_a", "words_b", "shared_a",
                                            "shared_b", "share_a", "share_b"}));
    ASSERT_EQ(rows->rowCount(), 2);
    QStringList written;
    for (qsizetype row = 0; row < rows->rowCount(); ++row) {
        QStringList cells;
        for (const ExportCell &cell : rows->cells(row))
            cells << (cell.isNumber ? QString::number(cell.number)
                                    : QString::fromUtf8(cell.text.data(), cell.text.size()));
        written << cells.join(QLatin1Char(','));
    }
    EXPECT_EQ(written, (QStringList{"/d/Alpha.pdf,/e/Gamma.pdf,100,50,10,5,0.1000,0.1000",
                                    "/d/beta.pdf,/e/Gamma.pdf,400,50,100,25,0.2500,0.5000"}));
}

TEST(OverlapMatrixModel, HoldsTheLargerShareOfEachPairBothWays)
{
    OverlapMatrixModel matrix;
    QAbstractItemModelTester tester(&matrix, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_TRUE(matrix.setPairs(kPaths, kPairs));
    ASSERT_EQ(matrix.rowCount(), 4);
    const struct {
        int row, column;
        double share;
        QString shown;
    } cases[] = {
        {0, 1, 0.8, "80"}, {1, 0, 0.8, "80"}, {2, 1, 0.5, "50"},
        {0, 2, 0.1, "10"}, {2, 3, 0.0, ""},   {1, 1, 0.0, ""},
    };
    for (const auto &c : cases) {
        EXPECT_DOUBLE_EQ(matrix.largerShare(c.row, c.column), c.share) << c.row << ',' << c.column;
        const QModelIndex cell = matrix.index(c.row, c.column);
        EXPECT_EQ(cell.data().toString(), c.shown);
        if (c.row != c.column) {
            EXPECT_EQ(cell.data(Qt::BackgroundRole).value<QColor>(), shareColour(c.share));
        }
    }
    EXPECT_EQ(matrix.headerData(2, Qt::Vertical).toString(), QStringLiteral("3  Gamma.pdf"));
    EXPECT_EQ(matrix.index(1, 0).data(Qt::ToolTipRole).toString(),
              QStringLiteral("Alpha.pdf: 80.0% shared\nbeta.pdf: 22.5% shared"));
}

TEST(OverlapMatrixModel, StaysEmptyBeyondItsFiles)
{
    OverlapMatrixModel matrix;
    QStringList many;
    for (int file = 0; file <= OverlapMatrixModel::kMostFiles; ++file)
        many << QStringLiteral("f%1.pdf").arg(file);
    EXPECT_FALSE(matrix.setPairs(many, {{0, 1, 10, 10, 5, 5}}));
    EXPECT_EQ(matrix.rowCount(), 0);
    many.removeLast();
    EXPECT_TRUE(matrix.setPairs(many, {{0, 1, 10, 10, 5, 5}}));
    EXPECT_EQ(matrix.rowCount(), OverlapMatrixModel::kMostFiles);
}

TEST(OverlapMatrixModel, ColoursDeepenWithTheShare)
{
    EXPECT_EQ(shareColour(0), QColor(Qt::white));
    EXPECT_EQ(shareColour(1), QColor(0xc6, 0x28, 0x28));
    EXPECT_EQ(shareColour(2), shareColour(1));
    int lastGreen = 256;
    for (double share : {0.0, 0.1, 0.5, 0.9, 1.0}) {
        EXPECT_LT(shareColour(share).green(), lastGreen) << share;
        lastGreen = shareColour(share).green();
    }
}
