#include "QtPrinters.h"
#include "results/OccurrencesModel.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFont>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

Occurrence at(int source, int page, int line, const char *phrase)
{
    Occurrence occurrence;
    occurrence.source = source;
    occurrence.page = occurrence.lastPage = page;
    occurrence.line = occurrence.lastLine = line;
    occurrence.before = QStringLiteral("words before");
    occurrence.phrase = QLatin1String(phrase);
    occurrence.after = QStringLiteral("words after");
    return occurrence;
}

class OccurrencesModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Occurrences found;
        found.found = {at(0, 1, 3, "The end of"), at(0, 1, 9, "the end of"),
                       at(0, 2, 1, "the END of"), at(1, 1, 4, "the end of")};
        found.found[2].lastPage = 3;
        found.found[2].lastLine = 1;
        found.unavailable = {QStringLiteral("/gone/c.pdf")};
        m_model.setOccurrences(found, {QStringLiteral("/docs/a.pdf"), QStringLiteral("/docs/b.pdf"),
                                       QStringLiteral("/gone/c.pdf")});
    }

    QVariant cell(int row, int column, int role = Qt::DisplayRole) const
    {
        return m_model.data(m_model.index(row, column), role);
    }

    OccurrencesModel m_model;
    QAbstractItemModelTester m_tester{&m_model,
                                      QAbstractItemModelTester::FailureReportingMode::Fatal};
};

} // namespace

TEST_F(OccurrencesModelTest, RowsShowFilePageLineAndThePhraseInItsContext)
{
    ASSERT_EQ(m_model.rowCount(), 4);
    QStringList headers;
    for (int column = 0; column < m_model.columnCount(); ++column)
        headers << m_model.headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers, (QStringList{"File", "Page", "Line", "Before", "Phrase", "After"}));
    QStringList row;
    for (int column = 0; column < m_model.columnCount(); ++column)
        row << cell(3, column).toString();
    EXPECT_EQ(row, (QStringList{"b.pdf", "1", "4", "words before", "the end of", "words after"}));
    EXPECT_EQ(m_model.pathAt(3), QStringLiteral("/docs/b.pdf"));
    EXPECT_EQ(m_model.fileCount(), 2);
    EXPECT_EQ(m_model.unavailable(), QStringList{"/gone/c.pdf"});
}

// Keyword in context: what comes before ends at the phrase, what follows starts right after.
TEST_F(OccurrencesModelTest, ContextIsAlignedOnThePhraseWhichIsMarked)
{
    const auto alignment = [&](int column) {
        return cell(0, column, Qt::TextAlignmentRole).value<Qt::Alignment>() &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(OccurrencesModel::BeforeColumn), Qt::AlignRight);
    EXPECT_EQ(alignment(OccurrencesModel::AfterColumn), Qt::AlignLeft);
    EXPECT_TRUE(cell(0, OccurrencesModel::PhraseColumn, Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(cell(0, OccurrencesModel::PhraseColumn, Qt::BackgroundRole).isValid());
    EXPECT_FALSE(cell(0, OccurrencesModel::BeforeColumn, Qt::BackgroundRole).isValid());
}

TEST_F(OccurrencesModelTest, TheTooltipNamesTheWholePathAndWhereAPhraseRunsOnTo)
{
    EXPECT_EQ(cell(0, OccurrencesModel::FileColumn, Qt::ToolTipRole).toString(),
              QStringLiteral("/docs/a.pdf\npage 1, line 3"));
    EXPECT_EQ(cell(2, OccurrencesModel::PageColumn, Qt::ToolTipRole).toString(),
              QStringLiteral("/docs/a.pdf\npage 2, line 1 to page 3, line 1"));
}

TEST_F(OccurrencesModelTest, EachOccurrenceKnowsWhichOfItsPagesPlacesItIs)
{
    EXPECT_EQ(m_model.placeOnPage(0), 0);
    EXPECT_EQ(m_model.placeOnPage(1), 1);
    EXPECT_EQ(m_model.placeOnPage(2), 0) << "next page";
    EXPECT_EQ(m_model.placeOnPage(3), 0) << "next file, same page number";
}

TEST_F(OccurrencesModelTest, AnOccurrenceOnARecognisedPageIsMarkedAsReadByOcr)
{
    Occurrences found;
    found.found = {at(0, 1, 3, "the end of"), at(0, 2, 1, "the end of")};
    found.found[1].recognised = true;
    m_model.setOccurrences(found, {QStringLiteral("/docs/a.pdf")});

    EXPECT_EQ(cell(0, OccurrencesModel::FileColumn).toString(), QStringLiteral("a.pdf"));
    EXPECT_EQ(cell(1, OccurrencesModel::FileColumn).toString(),
              QStringLiteral("a.pdf (read by OCR)"));
    EXPECT_EQ(cell(1, OccurrencesModel::PageColumn, Qt::ToolTipRole).toString(),
              QStringLiteral("/docs/a.pdf\npage 2, line 1\nRead by OCR from a scanned page: its "
                             "words may be wrong."));
}

TEST_F(OccurrencesModelTest, OrderedByTheWordsAroundThePhraseWithThoseWordsKnownForColour)
{
    Occurrences found;
    found.found = {at(0, 1, 3, "the end"), at(0, 1, 9, "the end"), at(1, 2, 1, "the end")};
    found.found[0].after = QStringLiteral("of days");
    found.found[1].after = QStringLiteral("came");
    found.found[2].before = QStringLiteral("so at");
    found.found[2].after = QStringLiteral("came soon");
    m_model.setOccurrences(found, {QStringLiteral("/docs/b.pdf"), QStringLiteral("/docs/a.pdf")});

    m_model.setOrder({ConcordanceKey::Right1, ConcordanceKey::Left1}, TextOptions{});
    const std::vector<ConcordanceLine> lines = m_model.linesShown();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], concordanceLine(found.found[2], {"/docs/b.pdf", "/docs/a.pdf"}))
        << "\"came\" ties, then \"at\" before \"before\"";
    EXPECT_EQ(lines[1].lineNumber, 9);
    EXPECT_EQ(lines[2].right, QStringLiteral("of days"));
    EXPECT_EQ(m_model.placeOnPage(1), 1) << "its place on the page in text order";
    EXPECT_EQ(cell(0, OccurrencesModel::BeforeColumn).toString(), QStringLiteral("so at"));

    const std::vector<OccurrencesModel::SortWord> words = m_model.sortWordsAt(0);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].word, (ContextWord{true, 0, 4}));
    EXPECT_EQ(words[0].key, 0);
    EXPECT_EQ(words[1].word, (ContextWord{false, 3, 2}));
    EXPECT_EQ(words[1].key, 1);
    EXPECT_NE(OccurrencesModel::sortWordColour(0), OccurrencesModel::sortWordColour(1));

    m_model.setOrder({}, TextOptions{});
    EXPECT_EQ(m_model.linesShown()[0].right, QStringLiteral("of days")) << "text order again";
    EXPECT_TRUE(m_model.sortWordsAt(0).empty());
}
