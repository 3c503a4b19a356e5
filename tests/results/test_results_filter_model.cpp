#include "QtPrinters.h"
#include "phrases/PhraseResults.h"
#include "results/ResultsFilterModel.h"
#include "results/ResultsModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace orvanta;

namespace {

// The list's order: ascending frequency, then phrase.
PhraseResults sample()
{
    PhraseResults results;
    results.append("the end of", 3, 2, 2);    // 0
    results.append("zz top band", 3, 2, 1);   // 1
    results.append("a b", 2, 3, 3);           // 2
    results.append("end of the", 3, 4, 1);    // 3
    results.append("at the end of", 4, 6, 2); // 4
    return results;
}

class ResultsFilterModelTest : public ::testing::Test {
protected:
    void SetUp() override { m_list.setResults(sample()); }

    QStringList shownPhrases() const
    {
        QStringList phrases;
        for (int row = 0; row < m_model.rowCount(); ++row)
            phrases << m_model.phraseAt(row);
        return phrases;
    }

    std::vector<bool> listTicks() const
    {
        std::vector<bool> ticks;
        for (int row = 0; row < m_list.rowCount(); ++row)
            ticks.push_back(m_list.isTicked(row));
        return ticks;
    }

    ResultsModel m_list;
    ResultsFilterModel m_model{m_list};
    QAbstractItemModelTester m_tester{&m_model,
                                      QAbstractItemModelTester::FailureReportingMode::Fatal};
};

} // namespace

// Order and filter over the list

TEST_F(ResultsFilterModelTest, StartsInTheListsOrderWithItsOwnHeadersAndNumbersToTheRight)
{
    EXPECT_EQ(shownPhrases(),
              (QStringList{"the end of", "zz top band", "a b", "end of the", "at the end of"}));
    EXPECT_EQ(m_model.sortColumn(), -1);
    QStringList headers;
    for (int column = 0; column < m_model.columnCount(); ++column)
        headers << m_model.headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers, (QStringList{"Phrase", "Words", "Frequency", "Files", "Per million", "DP",
                                    "Frequency in target", "Reference frequency", "Log-likelihood",
                                    "Log ratio"}));
    EXPECT_EQ(m_model.data(m_model.index(4, ResultsFilterModel::FilesColumn)).toString(),
              QStringLiteral("2"));
    EXPECT_EQ(m_model.data(m_model.index(4, ResultsFilterModel::WordsColumn), Qt::TextAlignmentRole)
                  .value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
}

TEST_F(ResultsFilterModelTest, SortingKeepsTheCurrentRowOnItsResultAndFilteringKeepsTheOrder)
{
    const QPersistentModelIndex current(m_model.index(2, 0)); // "a b"
    m_model.sort(ResultsFilterModel::PhraseColumn, Qt::DescendingOrder);
    EXPECT_EQ(shownPhrases(),
              (QStringList{"zz top band", "the end of", "end of the", "at the end of", "a b"}));
    EXPECT_EQ(current.row(), 4);

    m_model.setFilter({QStringLiteral("END OF")});
    EXPECT_EQ(shownPhrases(), (QStringList{"the end of", "end of the", "at the end of"}));
    EXPECT_FALSE(current.isValid()) << "its row is hidden";
    EXPECT_EQ(m_model.listedCount(), 5);
}

// Each letter typed only narrows the shown rows; taking one back must bring rows back.
TEST_F(ResultsFilterModelTest, NarrowingThenWideningTheFilterShowsWhatTheWiderOneShows)
{
    QSignalSpy counts(&m_model, &ResultsFilterModel::countsChanged);
    m_model.setFilter({QStringLiteral("e")});
    m_model.setFilter({QStringLiteral("en")});
    m_model.setFilter({QStringLiteral("end"), 3});
    EXPECT_EQ(shownPhrases(), (QStringList{"end of the", "at the end of"}));
    m_model.setFilter({QStringLiteral("e"), 0, 2});
    EXPECT_EQ(shownPhrases(), (QStringList{"the end of", "at the end of"}));
    m_model.setFilter({});
    EXPECT_EQ(m_model.rowCount(), 5);
    EXPECT_EQ(counts.count(), 5);
}

// Ticks and removals reach the list

TEST_F(ResultsFilterModelTest, TicksGoToTheListAndComeBackWithOneSignalPerBatch)
{
    m_model.sort(ResultsFilterModel::PhraseColumn, Qt::AscendingOrder);
    QSignalSpy changes(&m_model, &QAbstractItemModel::dataChanged);
    const std::vector<int> rows{0, 4}; // "a b", "zz top band"
    m_model.setRowsTicked(rows, true);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(listTicks(), (std::vector<bool>{false, true, true, false, false}));

    m_list.setTicked(0, true); // ticked in the main window
    EXPECT_EQ(m_model.data(m_model.index(3, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(m_model.setData(m_model.index(3, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(m_list.isTicked(0));
}

TEST_F(ResultsFilterModelTest, TickAllShownTicksOnlyTheShownAndUntickAllUnticksEveryResult)
{
    m_list.setTicked(1, true);
    m_model.setFilter({QStringLiteral("end")});
    m_model.tickAllShown();
    EXPECT_EQ(listTicks(), (std::vector<bool>{true, true, false, true, true}));
    m_model.untickAll();
    EXPECT_EQ(listTicks(), std::vector<bool>(5, false)) << "the hidden one too";
}

TEST_F(ResultsFilterModelTest, RemovingRowsTakesTheirResultsOffTheListInOneChange)
{
    m_model.sort(ResultsFilterModel::FrequencyColumn, Qt::DescendingOrder);
    m_list.setTicked(2, true);
    const QPersistentModelIndex kept(m_model.index(2, 0)); // "a b"
    QSignalSpy listLayouts(&m_list, &QAbstractItemModel::layoutChanged);

    const std::vector<int> rows{0, 3}; // "at the end of", "zz top band"
    m_model.removeShownRows(rows);

    EXPECT_EQ(listLayouts.count(), 1);
    EXPECT_EQ(shownPhrases(), (QStringList{"end of the", "a b", "the end of"}));
    EXPECT_EQ(kept.row(), 1);
    EXPECT_EQ(m_list.rowCount(), 3);
    EXPECT_EQ(listTicks(), (std::vector<bool>{false, true, false}));

    m_list.removeRowAt(0); // "the end of", removed in the main window
    EXPECT_EQ(shownPhrases(), (QStringList{"end of the", "a b"}));
}

TEST_F(ResultsFilterModelTest, NewResultsInTheListKeepTheChosenOrderAndFilter)
{
    m_model.sort(ResultsFilterModel::PhraseColumn, Qt::AscendingOrder);
    m_model.setFilter({QStringLiteral("of")});
    PhraseResults next;
    next.append("out of time", 3, 2);
    next.append("of all", 2, 3);
    next.append("nothing here", 2, 4);
    m_list.setResults(std::move(next));
    EXPECT_EQ(shownPhrases(), (QStringList{"of all", "out of time"}));
    m_list.clear();
    EXPECT_EQ(m_model.rowCount(), 0);
    EXPECT_EQ(m_model.listedCount(), 0);
}

TEST_F(ResultsFilterModelTest, ARefinementHidesRowsCountsThemAndFollowsRemovals)
{
    PhraseResults results;
    results.append("the number", 2, 3, 1);    // inside the next with the same frequency
    results.append("the number of", 3, 3, 1); //
    results.append("of the", 2, 5, 2);        // stop words only
    m_list.setResults(std::move(results));
    const auto stopWords = std::make_shared<const StopWords>(StopWords::fromText("of the"));
    QSignalSpy counts(&m_model, &ResultsFilterModel::countsChanged);

    m_model.setRefinement({true, stopWords, StopWordMode::OnlyStopWords, 0});
    EXPECT_EQ(shownPhrases(), QStringList{"the number of"});
    EXPECT_EQ(m_model.hidden(), (HiddenRows{1, 1, 0}));
    EXPECT_EQ(m_model.listedCount(), 3);
    EXPECT_EQ(counts.count(), 1);

    m_model.setFilter({QStringLiteral("the*")});
    EXPECT_EQ(m_model.hidden(), (HiddenRows{1, 0, 0})) << "counted among the rows filtered";

    m_model.removeShownRows(std::vector<int>{0});
    EXPECT_EQ(shownPhrases(), QStringList{"the number"}) << "nothing longer holds it now";
    EXPECT_EQ(m_model.hidden(), HiddenRows{});

    m_model.setRefinement({});
    m_model.setFilter({});
    EXPECT_EQ(shownPhrases(), (QStringList{"the number", "of the"}));
}

// Measures

TEST_F(ResultsFilterModelTest,
       MeasuresFillTheirColumnsSortAndFilterOnlyForTheResultsTheyWereMadeFor)
{
    const auto cell = [this](int row, int column) {
        return m_model.data(m_model.index(row, column)).toString();
    };
    m_model.sort(ResultsFilterModel::PerMillionColumn, Qt::DescendingOrder);
    EXPECT_EQ(cell(0, ResultsFilterModel::PerMillionColumn), QString());
    // 18 words in all; the sample carries no per-file counts, so no DP.
    m_model.setMeasures(
        std::make_shared<const ResultMeasures>(m_list.phrases(), CorpusSize{2, 18, 9, {9, 9}}));
    EXPECT_EQ(shownPhrases().first(), QStringLiteral("at the end of"));
    EXPECT_EQ(cell(0, ResultsFilterModel::PerMillionColumn), QStringLiteral("333333.3333"));
    EXPECT_EQ(cell(0, ResultsFilterModel::DispersionColumn), QString());
    m_model.setMeasureFilter({200000, 1}); // frequency 4 and above
    EXPECT_EQ(shownPhrases(), (QStringList{"at the end of", "end of the"}));

    m_list.setResults(sample());
    EXPECT_EQ(m_model.measures(), nullptr);
    EXPECT_EQ(m_model.rowCount(), 5);
    EXPECT_EQ(cell(0, ResultsFilterModel::PerMillionColumn), QString());
}

// Keyness: file 0 is the target, file 1 the reference, 10 words each.
TEST_F(ResultsFilterModelTest, KeynessFillsItsColumnsSortsAndFiltersByTheSetsAPhraseIsIn)
{
    PhraseResults counted;
    const std::uint32_t files[] = {1, 1, 2};
    std::span<FileCount> counts = counted.appendFileCounts(files);
    const FileCount filled[] = {{0, 2}, {1, 3}, {0, 1}, {1, 3}};
    std::copy(std::begin(filled), std::end(filled), counts.begin());
    counted.append("only target", 2, 2, 1);
    counted.append("only reference", 2, 3, 1);
    counted.append("in both", 2, 4, 2);
    m_list.setResults(std::move(counted));
    const FileSet sets[] = {FileSet::Target, FileSet::Reference};
    Result<ResultKeyness> keyness =
        ResultKeyness::make(m_list.phrases(), CorpusSize{2, 20, 6, {10, 10}}, sets);
    ASSERT_TRUE(keyness.ok());
    m_model.setKeyness(std::make_shared<const ResultKeyness>(std::move(*keyness)));

    m_model.sort(ResultsFilterModel::LogLikelihoodColumn, Qt::DescendingOrder);
    EXPECT_EQ(shownPhrases(), (QStringList{"only target", "in both", "only reference"}));
    EXPECT_EQ(m_model.cellText(1, ResultsFilterModel::TargetColumn), QStringLiteral("1"));
    EXPECT_EQ(m_model.cellText(1, ResultsFilterModel::ReferenceColumn), QStringLiteral("3"));
    const Keyness expected = keynessOf(1, 3, 10, 10);
    EXPECT_EQ(m_model.cellText(1, ResultsFilterModel::LogLikelihoodColumn),
              QString::fromStdString(fourDecimals(expected.logLikelihood)));
    EXPECT_EQ(m_model.cellText(1, ResultsFilterModel::LogRatioColumn),
              QString::fromStdString(fourDecimals(expected.logRatio)));

    const struct {
        SetPresence presence;
        QStringList shown;
    } cases[] = {{SetPresence::TargetOnly, {"only target"}},
                 {SetPresence::ReferenceOnly, {"only reference"}},
                 {SetPresence::Both, {"in both"}},
                 {SetPresence::Any, {"only target", "in both", "only reference"}}};
    for (const auto &c : cases) {
        m_model.setPresence(c.presence);
        EXPECT_EQ(shownPhrases(), c.shown) << int(c.presence);
    }

    m_model.setPresence(SetPresence::Both);
    m_list.setResults(sample()); // a new run: the keyness was for the one before
    EXPECT_EQ(m_model.keyness(), nullptr);
    EXPECT_EQ(m_model.rowCount(), 5);
    EXPECT_EQ(m_model.cellText(0, ResultsFilterModel::LogLikelihoodColumn), QString());
}
