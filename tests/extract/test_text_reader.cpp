#include "QtPrinters.h"
#include "TestSupport.h"
#include "extract/TextReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace orvanta;

namespace {

class TextReaderTest : public ::testing::Test {
protected:
    QString write(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("out%1.txt").arg(++m_files));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QStringList readLines(const QByteArray &bytes)
    {
        const LineSequence lines = readFileToStringFSOLine(write(bytes), m_sink);
        QStringList texts;
        for (qsizetype i = 0; i < lines.size(); ++i)
            texts << lines.text(i);
        return texts;
    }

    bool noText(const QByteArray &bytes) { return noTextPDF(write(bytes), m_sink); }

    QTemporaryDir m_dir;
    RecordingSink m_sink;
    int m_files = 0;
};

} // namespace

// Line splitting

TEST_F(TextReaderTest, CrLfAndLoneLfEndLinesAndAFinalTerminatorAddsNoLine)
{
    EXPECT_EQ(readLines("a\r\n\r\nb"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(readLines("a\r\n\r\nb\r\n"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(readLines("one\ntwo\n"), (QStringList{"one", "two"}));
    EXPECT_TRUE(m_sink.reports.empty());
}

TEST_F(TextReaderTest, EmptyFileGivesNoLines)
{
    EXPECT_TRUE(readLines("").isEmpty());
    EXPECT_TRUE(m_sink.reports.empty());
}

TEST_F(TextReaderTest, FormFeedsAndLoneCrStayInsideLines)
{
    EXPECT_EQ(readLines("end\fnext\r\nx\ry"),
              (QStringList{QStringLiteral("end\fnext"), QStringLiteral("x\ry")}));
}

TEST_F(TextReaderTest, TextIsUtf8AndInvalidBytesBecomeReplacementCharacters)
{
    EXPECT_EQ(readLines("Stra\xc3\x9f\x65 \xe2\x80\x93 ok\n"),
              QStringList{QStringLiteral("Straße – ok")});
    const QStringList lines = readLines("caf\xe9 bar\n");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0], QStringLiteral("caf\uFFFD bar"));
}

TEST_F(TextReaderTest, ASequenceCutShortAtTheEndIsAReplacementCharacterNotLost)
{
    EXPECT_EQ(readLines("\xe5"), QStringList{QStringLiteral("\uFFFD")});
    // One replacement character per byte of the cut sequence.
    EXPECT_EQ(readLines("ab\n\xe2\x80"), (QStringList{"ab", QStringLiteral("\uFFFD\uFFFD")}));
    EXPECT_EQ(decodeUtf8("x\xf0\x9f\x98"), QStringLiteral("x\uFFFD\uFFFD\uFFFD"));
}

TEST_F(TextReaderTest, AFileThatCannotBeOpenedIsReportedOnceAndReadsAsNoLines)
{
    const LineSequence lines =
        readFileToStringFSOLine(m_dir.filePath(QStringLiteral("missing.txt")), m_sink);
    EXPECT_TRUE(lines.isEmpty());
    ASSERT_EQ(m_sink.reports.size(), 1u);
    EXPECT_EQ(m_sink.reports[0].locationTag,
              QStringLiteral("in Quorvel2021/08/31.Main.ReadFileToStringFSOLine "));
    EXPECT_EQ(m_sink.reports[0].line, 100);
}

// Judging converter output

TEST_F(TextReaderTest, OnlyFormFeedsAndLineBreaksHoldNoText)
{
    EXPECT_TRUE(noText("\f\f\f"));
    EXPECT_TRUE(noText("\f\r\n\f\r\n"));
}

TEST_F(TextReaderTest, SixPrintableCharactersAreTextFiveAreNot)
{
    EXPECT_TRUE(noText("abcde\f"));
    EXPECT_FALSE(noText("abcdef\f"));
    EXPECT_FALSE(noText("      "));
}

TEST_F(TextReaderTest, PrintableCharactersAreCountedAcrossLines)
{
    EXPECT_FALSE(noText("abc\r\ndef\f"));
}

TEST_F(TextReaderTest, FewCharactersWithoutAControlCharacterStillCountAsText)
{
    EXPECT_FALSE(noText("ab"));
    EXPECT_FALSE(noText(""));
}

TEST_F(TextReaderTest, PrintableRangesAreJudgedByCodePoint)
{
    // U+0080..U+009F are not printable; U+00A0..U+00FF are; anything above is not.
    EXPECT_TRUE(noText("\xc2\x80\xc2\x85\xc2\x9f"));
    EXPECT_FALSE(noText("\xc2\xa0\xc3\xa9\xc3\xbf\xc3\xa4\xc3\xb6\xc3\xbc"));
    EXPECT_TRUE(noText("\xe2\x80\x93\xe2\x80\x9c\xe2\x80\x9d"));
    EXPECT_TRUE(noText("abcde\xe2\x80\x93"));
    EXPECT_TRUE(noText("\xf0\x9f\x98\x80"));
}

TEST_F(TextReaderTest, NoTextOfAMissingFileReportsTheReadAndAnswersFalse)
{
    EXPECT_FALSE(noTextPDF(m_dir.filePath(QStringLiteral("missing.txt")), m_sink));
    EXPECT_EQ(m_sink.reports.size(), 1u);
}

// Path helpers

TEST(PathHelpers, PathWithoutExtensionCutsAtTheLastDotOfTheWholePath)
{
    EXPECT_EQ(pathWithoutExtension(QStringLiteral("/docs/report.final.pdf")),
              QStringLiteral("/docs/report.final"));
    EXPECT_EQ(pathWithoutExtension(QStringLiteral("/my.docs/report")), QStringLiteral("/my"));
    EXPECT_EQ(pathWithoutExtension(QStringLiteral("/docs/report")), QStringLiteral("/docs/report"));
}

TEST(PathHelpers, FileNameFromPathIsThePartAfterTheLastSlash)
{
    EXPECT_EQ(fileNameFromPath(QStringLiteral("/dir/a.pdf")), QStringLiteral("a.pdf"));
    EXPECT_EQ(fileNameFromPath(QStringLiteral("a.pdf")), QStringLiteral("a.pdf"));
    EXPECT_EQ(fileNameFromPath(QStringLiteral("/dir/")), QString());
}
