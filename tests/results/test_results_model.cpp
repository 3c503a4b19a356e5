#include "QtPrinters.h"
#include "phrases/PhraseResults.h"
#include "results/ResultsModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace orvanta;

namespace {

struct Phrase {
    std::string text;
    int wordCount;
    int frequency;
};

PhraseResults makeResults(const std::vector<Phrase> &phrases)
{
    PhraseResults results;
    for (const Phrase &phrase : phrases)
        results.append(phrase.text, phrase.wordCount, phrase.frequency);
    return results;
}

// Five rows whose frequencies say which row each was at first.
PhraseResults fiveRows()
{
    return makeResults({{"row zero", 2, 100},
                        {"row one", 2, 101},
                        {"row two", 2, 102},
                        {"row three", 2, 103},
                        {"row four", 2, 104}});
}

QStringList phraseColumn(const ResultsModel &model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.cellText(row, ResultsModel::PhraseColumn);
    return texts;
}

std::vector<bool> ticks(const ResultsModel &model)
{
    std::vector<bool> ticked;
    for (int row = 0; row < model.rowCount(); ++row)
        ticked.push_back(model.isTicked(row));
    return ticked;
}

} // namespace

TEST(ResultsModel, PassesTheItemModelTesterThroughSetTickRemoveAndClear)
{
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    model.setResults(fiveRows());
    model.setTicked(1, true);
    model.setData(model.index(3, 0), Qt::Checked, Qt::CheckStateRole);
    model.removeRowAt(0);
    model.removeRowAt(2);
    model.removeRowAt(model.rowCount() - 1);
    model.removeRowAt(model.rowCount());
    EXPECT_EQ(phraseColumn(model),
              QStringList({QStringLiteral(" row one"), QStringLiteral(" row two")}));
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    model.setResults(makeResults({{"only row", 2, 7}}));
    model.removeRowAt(0);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(ResultsModel, HeadersAreExactIncludingTheLeadingBlankOfWordCount)
{
    const ResultsModel model;
    ASSERT_EQ(model.columnCount(), 4);
    const QStringList expected{QStringLiteral("Results"), QStringLiteral(" Word Count"),
                               QStringLiteral("Frequency"), QStringLiteral("Files")};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(model.headerText(column), expected[column]);
        EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
                  expected[column]);
    }
    EXPECT_FALSE(model.headerData(4, Qt::Horizontal, Qt::DisplayRole).isValid());
    EXPECT_FALSE(model.headerData(0, Qt::Horizontal, Qt::DecorationRole).isValid());
}

TEST(ResultsModel, CellsShowThePhraseWithOneLeadingSpaceAndDecimalCountsInTheGivenOrder)
{
    ResultsModel model;
    model.setResults(makeResults({{"zeta road", 2, 1234567},
                                  {"gr\xc3\xb6\xc3\x9f"
                                   "e a b",
                                   3, 2}}));
    ASSERT_EQ(model.rowCount(), 2);

    EXPECT_EQ(model.cellText(0, ResultsModel::PhraseColumn), QStringLiteral(" zeta road"));
    EXPECT_EQ(model.cellText(0, ResultsModel::WordCountColumn), QStringLiteral("2"));
    EXPECT_EQ(model.cellText(0, ResultsModel::FrequencyColumn), QStringLiteral("1234567"));
    EXPECT_EQ(model.cellText(1, ResultsModel::PhraseColumn), QString::fromUtf8(" gr\xc3\xb6\xc3\x9f"
                                                                               "e a b"));
    EXPECT_EQ(model.cellText(1, ResultsModel::WordCountColumn), QStringLiteral("3"));
    EXPECT_EQ(model.cellText(1, ResultsModel::FrequencyColumn), QStringLiteral("2"));

    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(model.data(model.index(row, column)).toString(), model.cellText(row, column));
}

TEST(ResultsModel, OutOfRangeQueriesGiveNothing)
{
    ResultsModel model;
    model.setResults(fiveRows());
    EXPECT_TRUE(model.cellText(5, 0).isEmpty());
    EXPECT_TRUE(model.cellText(-1, 0).isEmpty());
    EXPECT_TRUE(model.cellText(0, 4).isEmpty());
    EXPECT_FALSE(model.isTicked(5));
    EXPECT_FALSE(model.data(QModelIndex()).isValid());
    EXPECT_FALSE(model.index(5, 0).isValid());

    ResultsModel other;
    other.setResults(makeResults({{"a b", 2, 2}}));
    EXPECT_FALSE(model.data(other.index(0, 0)).isValid()) << "an index of another model";

    model.setTicked(5, true);
    model.setTicked(-1, true);
    EXPECT_EQ(ticks(model), std::vector<bool>(5, false));
}

TEST(ResultsModel, OnlyTheFirstColumnHasACheckBoxAndRowsArriveUnticked)
{
    ResultsModel model;
    model.setResults(fiveRows());
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, 2)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);

    for (int row = 0; row < model.rowCount(); ++row) {
        EXPECT_EQ(model.data(model.index(row, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
        EXPECT_FALSE(model.data(model.index(row, 1), Qt::CheckStateRole).isValid());
    }
}

TEST(ResultsModel, CheckStateRoleTicksAndUnticksAndReportsTheChange)
{
    ResultsModel model;
    model.setResults(fiveRows());
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);

    EXPECT_TRUE(model.setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model.isTicked(2));
    EXPECT_EQ(model.data(model.index(2, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].value<QModelIndex>(), model.index(2, 0));
    EXPECT_EQ(ticks(model), std::vector<bool>({false, false, true, false, false}));

    EXPECT_TRUE(model.setData(model.index(2, 0), int(Qt::Unchecked), Qt::CheckStateRole));
    EXPECT_FALSE(model.isTicked(2));
    EXPECT_EQ(changes.count(), 2);

    EXPECT_FALSE(model.setData(model.index(1, 0), Qt::Checked, Qt::EditRole));
    EXPECT_FALSE(model.setData(model.index(1, 1), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(ticks(model), std::vector<bool>(5, false));

    model.setTicked(4, true);
    EXPECT_TRUE(model.isTicked(4));
    EXPECT_EQ(changes.count(), 3);
}

TEST(ResultsModel, RemovingARowMovesTheLaterRowsUpWithTheirTicks)
{
    ResultsModel model;
    model.setResults(fiveRows());
    model.setTicked(0, true);
    model.setTicked(3, true);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    model.removeRowAt(2);

    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 2);
    EXPECT_EQ(removed[0][2].toInt(), 2);
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(phraseColumn(model),
              QStringList({QStringLiteral(" row zero"), QStringLiteral(" row one"),
                           QStringLiteral(" row three"), QStringLiteral(" row four")}));
    EXPECT_EQ(model.cellText(2, ResultsModel::FrequencyColumn), QStringLiteral("103"));
    EXPECT_EQ(ticks(model), std::vector<bool>({true, false, true, false}));
}

TEST(ResultsModel, RemovingAnOutOfRangeRowDoesNothing)
{
    ResultsModel model;
    model.setResults(fiveRows());
    model.setTicked(4, true);
    QSignalSpy removing(&model, &QAbstractItemModel::rowsAboutToBeRemoved);

    for (int row : {-1, 5, INT_MAX, INT_MIN})
        model.removeRowAt(row);

    EXPECT_EQ(removing.count(), 0);
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.cellText(4, ResultsModel::PhraseColumn), QStringLiteral(" row four"));
    EXPECT_EQ(ticks(model), std::vector<bool>({false, false, false, false, true}));
}

// Batches: one signal for the whole batch, however many rows and wherever they lie.

TEST(ResultsModel, BatchTickingChangesListedResultsWithOneSignal)
{
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setResults(fiveRows());
    model.removeRowAt(1); // result 1 is no longer listed
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);

    const std::vector<std::uint32_t> ids{4, 1, 0, 2, 9};
    model.setResultsTicked(ids, true);

    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][2].value<QList<int>>(), QList<int>{Qt::CheckStateRole});
    EXPECT_EQ(ticks(model), std::vector<bool>({true, true, false, true}));
    EXPECT_FALSE(model.isResultTicked(1)) << "an unlisted result is left alone";

    model.setResultsTicked(ids, true);
    EXPECT_EQ(changes.count(), 1) << "nothing changed, nothing said";

    model.setAllTicked(false);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(ticks(model), std::vector<bool>(4, false));
}

TEST(ResultsModel, BatchRemovalKeepsOrderTicksAndTheViewsPlacesInOneLayoutChange)
{
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setResults(fiveRows());
    model.setTicked(3, true);
    const QPersistentModelIndex rowThree(model.index(3, 1));
    const QPersistentModelIndex rowOne(model.index(1, 0));
    QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
    QSignalSpy removals(&model, &QAbstractItemModel::rowsRemoved);

    const std::vector<std::uint32_t> ids{1, 4, 1};
    model.removeResults(ids);

    EXPECT_EQ(layouts.count(), 1);
    EXPECT_EQ(removals.count(), 0);
    EXPECT_EQ(phraseColumn(model),
              QStringList({QStringLiteral(" row zero"), QStringLiteral(" row two"),
                           QStringLiteral(" row three")}));
    EXPECT_EQ(ticks(model), std::vector<bool>({false, false, true}));
    EXPECT_EQ(rowThree.row(), 2);
    EXPECT_EQ(rowThree.column(), 1);
    EXPECT_FALSE(rowOne.isValid());
    EXPECT_FALSE(model.isListed(1));
    EXPECT_TRUE(model.isListed(3));

    model.removeResults(ids);
    EXPECT_EQ(layouts.count(), 1) << "results no longer listed are not removed twice";
}

TEST(ResultsModel, NewResultsReplaceEverythingInOneResetAndClearOldTicks)
{
    ResultsModel model;
    model.setResults(fiveRows());
    model.setTicked(0, true);
    model.setTicked(1, true);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);

    model.setResults(makeResults({{"new one", 2, 3}, {"new two", 2, 4}, {"new three", 2, 5}}));

    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(inserts.count(), 0);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.cellText(0, ResultsModel::PhraseColumn), QStringLiteral(" new one"));
    EXPECT_EQ(ticks(model), std::vector<bool>(3, false));
}

TEST(ResultsModel, ClearLeavesNoRowsAndNoTicks)
{
    ResultsModel model;
    model.setResults(fiveRows());
    model.setTicked(0, true);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    model.clear();

    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.isTicked(0));
    EXPECT_TRUE(model.cellText(0, 0).isEmpty());
    model.setResults(fiveRows());
    EXPECT_EQ(ticks(model), std::vector<bool>(5, false));
}

TEST(ResultsModel, AMillionRowsCanBeShownTickedAndRemoved)
{
    constexpr int kRows = 1'000'000;
    PhraseResults results;
    for (int i = 0; i < kRows; ++i)
        results.append("phrase " + std::to_string(i), 2, i + 2);
    ResultsModel model;
    model.setResults(std::move(results));
    ASSERT_EQ(model.rowCount(), kRows);

    EXPECT_EQ(model.cellText(kRows - 1, ResultsModel::PhraseColumn),
              QStringLiteral(" phrase 999999"));
    EXPECT_EQ(model.cellText(kRows - 1, ResultsModel::FrequencyColumn), QStringLiteral("1000001"));
    model.setTicked(kRows - 1, true);
    model.removeRowAt(0);

    ASSERT_EQ(model.rowCount(), kRows - 1);
    EXPECT_EQ(model.cellText(0, ResultsModel::PhraseColumn), QStringLiteral(" phrase 1"));
    EXPECT_EQ(model.cellText(kRows - 2, ResultsModel::PhraseColumn),
              QStringLiteral(" phrase 999999"));
    EXPECT_TRUE(model.isTicked(kRows - 2));
    EXPECT_FALSE(model.isTicked(kRows - 3));
}
