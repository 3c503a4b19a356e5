#include "QtPrinters.h"
#include "TestSupport.h"
#include "extract/TextReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace orvanta;

namespace {

struct Line {
    QString text;
    LinePlace place;
    bool operator==(const Line &) const = default;
};

void PrintTo(const Line &line, std::ostream *out)
{
    *out << '"' << line.text.toStdString() << "\" p" << line.place.page << " l" << line.place.line;
}

// The lines of a text fed whole, and the same text fed in two pieces cut at every byte: the cut
// must never change a line.
std::vector<Line> split(const QByteArray &text)
{
    const auto run = [](const std::vector<QByteArray> &pieces) {
        std::vector<Line> lines;
        LineSplitter splitter([&lines](QByteArrayView line, LinePlace place) {
            EXPECT_TRUE(line.isValidUtf8());
            lines.push_back({QString::fromUtf8(line), place});
        });
        for (const QByteArray &piece : pieces)
            splitter.feed(piece);
        splitter.finish();
        return lines;
    };
    const std::vector<Line> whole = run({text});
    for (qsizetype cut = 1; cut < text.size(); ++cut)
        EXPECT_EQ(run({text.left(cut), text.mid(cut)}), whole) << "cut at " << cut;
    return whole;
}

bool noText(const QByteArray &text)
{
    NoTextTest whole;
    whole.feed(text);
    for (qsizetype cut = 1; cut < text.size(); ++cut) {
        NoTextTest pieces;
        pieces.feed(text.left(cut));
        pieces.feed(text.mid(cut));
        EXPECT_EQ(pieces.noText(), whole.noText()) << "cut at " << cut;
    }
    return whole.noText();
}

} // namespace

// Lines and pages

TEST(LineSplitter, CrLfAndLoneLfEndLinesAndAFinalTerminatorAddsNoLine)
{
    EXPECT_EQ(split("a\r\n\r\nb"), (std::vector<Line>{{"a", {1, 1}}, {"", {1, 2}}, {"b", {1, 3}}}));
    EXPECT_EQ(split("one\ntwo\n"), (std::vector<Line>{{"one", {1, 1}}, {"two", {1, 2}}}));
    EXPECT_TRUE(split("").empty());
}

// The converter ends every page with a form feed; no word may carry it.
TEST(LineSplitter, AFormFeedEndsTheLineAndThePage)
{
    EXPECT_EQ(split("end of page\n\ffrom time to time.\nnext\f"),
              (std::vector<Line>{{"end of page", {1, 1}},
                                 {"", {1, 2}},
                                 {"from time to time.", {2, 1}},
                                 {"next", {2, 2}}}));
    EXPECT_EQ(split("\f\f\f"), (std::vector<Line>{{"", {1, 1}}, {"", {2, 1}}, {"", {3, 1}}}));
}

TEST(LineSplitter, ALoneCrStaysInsideItsLine)
{
    EXPECT_EQ(split("x\ry\r\n"), (std::vector<Line>{{QStringLiteral("x\ry"), {1, 1}}}));
}

TEST(LineSplitter, InvalidBytesBecomeReplacementCharacters)
{
    EXPECT_EQ(split("Stra\xc3\x9f\x65 \xe2\x80\x93 ok\ncaf\xe9 bar"),
              (std::vector<Line>{{QStringLiteral("Straße – ok"), {1, 1}},
                                 {QStringLiteral("caf\uFFFD bar"), {1, 2}}}));
    // A sequence cut short at the very end: one replacement character per byte.
    EXPECT_EQ(split("ab\n\xe2\x80"),
              (std::vector<Line>{{"ab", {1, 1}}, {QStringLiteral("\uFFFD\uFFFD"), {1, 2}}}));
}

// A device that never sends a line break would otherwise fill memory.
TEST(LineSplitter, ALineLongerThanTheLimitStopsTheText)
{
    int lines = 0;
    LineSplitter splitter([&lines](QByteArrayView, LinePlace) { ++lines; });
    splitter.feed("first\n");
    const QByteArray megabyte(1 << 20, 'a');
    for (qsizetype fed = 0; fed <= LineSplitter::kLongestLine && !splitter.overflowed();
         fed += megabyte.size())
        splitter.feed(megabyte);
    EXPECT_TRUE(splitter.overflowed());
    splitter.feed("\nafter\n");
    splitter.finish();
    EXPECT_EQ(lines, 1);
}

// Reading a file

TEST(ReadLines, ReadsTheWholeFileInPieces)
{
    QTemporaryDir dir;
    QByteArray text;
    for (int i = 0; i < 300000; ++i)
        text += "line " + QByteArray::number(i) + '\n';
    const QString path = writeFile(dir.filePath(QStringLiteral("big.txt")), text);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    int count = 0;
    QByteArray last;
    const Status read = readLines(fd, path, [&](QByteArrayView line, LinePlace place) {
        EXPECT_EQ(place.line, ++count);
        last = line.toByteArray();
    });
    ::close(fd);
    EXPECT_TRUE(read.ok());
    EXPECT_EQ(count, 300000);
    EXPECT_EQ(last, QByteArray("line 299999"));
}

TEST(ReadLines, AFifoWithoutAWriterIsWaitedForOnlyUntilAStop)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    std::stop_source stop;
    std::thread stopper([&] {
        QThread::msleep(200);
        stop.request_stop();
    });
    int lines = 0;
    const Status read = readLines(
        fd, fifo, [&](QByteArrayView, LinePlace) { ++lines; }, stop.get_token());
    stopper.join();
    ::close(writer);
    ::close(fd);
    EXPECT_TRUE(read.ok());
    EXPECT_EQ(lines, 0);
}

TEST(ReadLines, AFailedReadNamesTheFile)
{
    QTemporaryDir dir;
    const int fd = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
    const Status read =
        readLines(fd, QStringLiteral("notes.txt"), [](QByteArrayView, LinePlace) {});
    ::close(fd);
    ASSERT_FALSE(read.ok());
    EXPECT_TRUE(read.error().startsWith(QStringLiteral("Cannot read notes.txt: ")));
}

// The scanned-page test

TEST(NoTextTest, OnlyFormFeedsAndLineBreaksHoldNoText)
{
    EXPECT_TRUE(noText("\f\f\f"));
    EXPECT_TRUE(noText("\f\r\n\f\r\n"));
}

TEST(NoTextTest, SixPrintableCharactersAreTextAcrossLinesFiveAreNot)
{
    EXPECT_TRUE(noText("abcde\f"));
    EXPECT_FALSE(noText("abcdef\f"));
    EXPECT_FALSE(noText("abc\r\ndef\f"));
    EXPECT_FALSE(noText("      "));
}

TEST(NoTextTest, FewCharactersWithoutAControlCharacterStillCountAsText)
{
    EXPECT_FALSE(noText("ab"));
    EXPECT_FALSE(noText(""));
    EXPECT_TRUE(noText("ab\r")); // a lone CR is a character, not a terminator
}

TEST(NoTextTest, PrintableRangesAreJudgedByCodePoint)
{
    // U+0080..U+009F are not printable; U+00A0..U+00FF are; anything above is not.
    EXPECT_TRUE(noText("\xc2\x80\xc2\x85\xc2\x9f"));
    EXPECT_FALSE(noText("\xc2\xa0\xc3\xa9\xc3\xbf\xc3\xa4\xc3\xb6\xc3\xbc"));
    EXPECT_TRUE(noText("\xe2\x80\x93\xe2\x80\x9c\xe2\x80\x9d"));
    EXPECT_TRUE(noText("abcde\xe2\x80\x93"));
    EXPECT_TRUE(noText("\xf0\x9f\x98\x80"));
    EXPECT_TRUE(noText("abc\xc3")); // a lead byte cut off at the end
}
