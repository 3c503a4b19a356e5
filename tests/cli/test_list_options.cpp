// orvanta-count's lists end to end, one case per kind: filters that hide rows, passages without
// letters, the measures of the corpus, and the overlap of documents. The engines under them have
// their exactness tests; here each option reaches its engine and its records reach the output.

#include "QtPrinters.h"
#include "TestSupport.h"
#include "cli/OrvantaCount.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

class ListOptionsTest : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        return writeFile(m_dir.filePath(name), bytes);
    }

    int run(const QStringList &arguments)
    {
        m_out.clear();
        m_err.clear();
        QBuffer out(&m_out);
        QBuffer err(&m_err);
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        OrvantaCount command(out, err);
        return command.run(QStringList{QStringLiteral("orvanta-count")} + arguments);
    }

    QTemporaryDir m_dir;
    QByteArray m_out;
    QByteArray m_err;
};

struct ListCase {
    const char *name;
    QStringList options;
    QByteArray expected;
};

class FilterTest : public ListOptionsTest, public ::testing::WithParamInterface<ListCase> {};

} // namespace

// Words without letters split lines; the filters hide listed rows and the top is taken after.
TEST_P(FilterTest, HidesListedRowsBeforeTheTop)
{
    const QString a = write(QStringLiteral("a.txt"),
                            "the number of pages . . .\nthe number of pages\nof the end\n");
    const QString b = write(QStringLiteral("b.txt"), "The number of\nof the end . .\n");
    write(QStringLiteral("stop.txt"), "of the\n");
    QStringList arguments{QStringLiteral("--no-header"), QStringLiteral("-l"),
                          QStringLiteral("2-3")};
    for (const QString &option : GetParam().options)
        arguments << QString(option).replace(QStringLiteral("STOP"), m_dir.filePath("stop.txt"));
    ASSERT_EQ(run(arguments << a << b), 0) << m_err.constData();
    EXPECT_EQ(m_out, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterTest,
    ::testing::Values(ListCase{"LetterWordsAndClosedPhrases",
                               {"--words-need-letters", "--closed"},
                               "number of pages\t3\t2\nof the end\t3\t2\nthe number of\t3\t3\n"},
                      ListCase{"StopWordsPatternAndTop",
                               {"--stop-words", "STOP", "--match", "*of*", "--top", "2"},
                               "number of pages\t3\t2\nof pages\t2\t2\n"},
                      ListCase{"StopWordsAtTheEdgesAndARegularExpression",
                               {"--stop-words", "STOP", "--stop-words-edges", "--match-regex",
                                "^[a-z ]+$"},
                               "number of pages\t3\t2\n"}),
    [](const auto &info) { return std::string(info.param.name); });

// A list that cannot be read is a usage error before anything is counted.
TEST_F(ListOptionsTest, AStopListThatCannotBeReadIsAUsageError)
{
    const QString a = write(QStringLiteral("a.txt"), "x y\nx y\n");
    EXPECT_EQ(run({QStringLiteral("--stop-words"), m_dir.filePath("none.txt"), a}), 2);
    EXPECT_TRUE(m_err.startsWith("orvanta-count: --stop-words: ")) << m_err.constData();
    EXPECT_TRUE(m_out.isEmpty());
}

// Dot leaders make no passage worth reading: ". . . . .", ". . . ." and the line with them are
// hidden, and how many is said.
TEST_F(ListOptionsTest, PassagesMostlyWithoutLettersAreHiddenAndCounted)
{
    const QByteArray text = "contents . . . . . . 3\nthe quick brown fox jumps\n";
    const QString a = write(QStringLiteral("a.txt"), text);
    const QString b = write(QStringLiteral("b.txt"), text);
    ASSERT_EQ(run({QStringLiteral("--no-header"), QStringLiteral("--passages"), QStringLiteral("4"),
                   a, b}),
              0);
    EXPECT_EQ(m_out, "the quick brown fox jumps\t5\t2\t2\n");
    EXPECT_TRUE(m_err.contains("orvanta-count: 3 passages hidden: fewer than 50% of their words "
                               "hold a letter (--passage-letters)\n"))
        << m_err.constData();

    ASSERT_EQ(
        run({QStringLiteral("--no-header"), QStringLiteral("--passages"), QStringLiteral("4"),
             QStringLiteral("--passage-letters"), QStringLiteral("0"), QStringLiteral("--match"),
             QStringLiteral("contents*"), QStringLiteral("-q"), a, b}),
        0);
    EXPECT_EQ(m_out, "contents . . . . . . 3\t8\t2\t2\n");
    EXPECT_TRUE(m_err.isEmpty()) << m_err.constData();
}

// "x y": 2 of the 4 words of a, 1 of the 4 of b. Per million: 3 x 10^6 / 8. DP: half of
// |2/3 - 1/2| + |1/3 - 1/2|. Keyness of a against b: E1 = E2 = 1.5, log-likelihood
// 2(2 ln(2/1.5) + ln(1/1.5)), log ratio log2(2/1).
TEST_F(ListOptionsTest, MeasuresOfTheCorpusReachEveryOutput)
{
    const QString a = write(QStringLiteral("a.txt"), "x y\nx y\n");
    const QString b = write(QStringLiteral("b.txt"), "x y z z\n");
    const QStringList two{QStringLiteral("-l"), QStringLiteral("2")};
    ASSERT_EQ(run(two + QStringList{QStringLiteral("--dispersion"), QStringLiteral("--format"),
                                    QStringLiteral("json"), a, b}),
              0);
    EXPECT_EQ(m_err, "orvanta-count: corpus: 2 files, 8 words, 3 distinct words\n");
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(m_out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << m_out.constData();
    EXPECT_EQ(json[QStringLiteral("corpus")].toObject(),
              (QJsonObject{{"files", 2}, {"words", 8}, {"distinct_words", 3}}));
    EXPECT_EQ(json[QStringLiteral("rows")].toArray(),
              (QJsonArray{QJsonObject{{"phrase", "x y"},
                                      {"words", 2},
                                      {"frequency", 3},
                                      {"per_million", 375000.0},
                                      {"dp", 0.1667}}}));

    ASSERT_EQ(run(two + QStringList{QStringLiteral("--by-file"), QStringLiteral("-q"), a, b}), 0);
    EXPECT_EQ(m_out, "phrase\twords\tfile\tfrequency\nx y\t2\t" + a.toUtf8() + "\t2\nx y\t2\t" +
                         b.toUtf8() + "\t1\n");
    EXPECT_TRUE(m_err.isEmpty());

    ASSERT_EQ(run(two + QStringList{QStringLiteral("--reference"), b, a}), 0);
    EXPECT_EQ(m_out, "phrase\twords\tfrequency\treference_frequency\tlog_likelihood\tlog_ratio\n"
                     "x y\t2\t2\t1\t0.3398\t1.0000\n");
}

// A reference set that holds no words cannot be compared with.
TEST_F(ListOptionsTest, AnEmptyReferenceSetIsAnInputFailure)
{
    const QString a = write(QStringLiteral("a.txt"), "x y\nx y\n");
    const QString empty = write(QStringLiteral("empty.txt"), "");
    EXPECT_EQ(
        run({QStringLiteral("-l"), QStringLiteral("2"), QStringLiteral("--reference"), empty, a}),
        1);
    EXPECT_TRUE(m_err.contains("The reference files hold no words to compare with."))
        << m_err.constData();
    EXPECT_TRUE(m_out.isEmpty());
}

// The pair that shares eight words, a before b as listed, written as CSV to a file; c shares
// nothing and is in no pair.
TEST_F(ListOptionsTest, OverlapPrintsThePairsThatShareText)
{
    const QString b =
        write(QStringLiteral("b.txt"), "zero one two three four five six seven eight\n");
    const QString a =
        write(QStringLiteral("a.txt"), "One two three four five six seven eight nine\nalpha\n");
    const QString c = write(QStringLiteral("c.txt"), "nothing in common here\n");
    const QString target = m_dir.filePath(QStringLiteral("pairs.csv"));
    ASSERT_EQ(run({QStringLiteral("--overlap"), QStringLiteral("--format"), QStringLiteral("csv"),
                   QStringLiteral("-o"), target, b, c, a}),
              0)
        << m_err.constData();
    EXPECT_EQ(readFile(target),
              "file_a,file_b,words_a,words_b,shared_a,shared_b,share_a,share_b\r\n" + b.toUtf8() +
                  "," + a.toUtf8() + ",9,10,8,8,0.8889,0.8000\r\n");
    EXPECT_TRUE(m_out.isEmpty());
}
