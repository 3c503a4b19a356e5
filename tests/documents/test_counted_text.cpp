#include "QtPrinters.h"
#include "documents/CountedText.h"
#include "documents/RunningHeads.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>

using namespace orvanta;

namespace {

struct Counted {
    QString text;
    std::vector<LinePlace> places;
    bool operator==(const Counted &) const = default;
};

void PrintTo(const Counted &line, std::ostream *out)
{
    *out << '"' << line.text.toStdString() << '"';
    for (const LinePlace place : line.places)
        *out << " p" << place.page << "l" << place.line;
}

qsizetype engineWordCount(const QString &line)
{
    static const QRegularExpression separators(QStringLiteral("[ \t\r]+"));
    return line.split(separators, Qt::SkipEmptyParts).size();
}

// A text read from its start on every call, as a stored text is.
TextSource sourceOf(const QByteArray &text, int &reads)
{
    return [&text, &reads](const LineSink &sink) {
        ++reads;
        LineSplitter splitter(sink);
        splitter.feed(text);
        splitter.finish();
        return Status{};
    };
}

// The counted lines of a text with their word places. Every run also checks what holds for any
// text: at most two reads, one place per word, and the same lines when places are not asked for.
std::vector<Counted> counted(const QByteArray &text, const TextOptions &options)
{
    int reads = 0;
    std::vector<Counted> lines;
    const Status status = readCountedLines(
        options, sourceOf(text, reads),
        [&lines](const CountedLine &line) {
            Counted copy{QString::fromUtf8(line.text), {}};
            for (const WordPlace &word : line.words)
                copy.places.push_back(word.place);
            EXPECT_EQ(qsizetype(copy.places.size()), engineWordCount(copy.text))
                << copy.text.toStdString();
            lines.push_back(copy);
        },
        /*withPlaces=*/true);
    EXPECT_TRUE(status.ok());
    EXPECT_LE(reads, 2);

    QStringList withoutPlaces;
    reads = 0;
    (void)readCountedLines(options, sourceOf(text, reads), [&](const CountedLine &line) {
        EXPECT_TRUE(line.words.empty());
        withoutPlaces << QString::fromUtf8(line.text);
    });
    QStringList withPlaces;
    for (const Counted &line : lines)
        withPlaces << line.text;
    EXPECT_EQ(withoutPlaces, withPlaces);
    return lines;
}

QStringList textsOf(const std::vector<Counted> &lines)
{
    QStringList texts;
    for (const Counted &line : lines)
        texts << line.text;
    return texts;
}

QStringList countedTexts(const QByteArray &text, const TextOptions &options)
{
    return textsOf(counted(text, options));
}

TextOptions only(bool TextOptions::*option)
{
    TextOptions options;
    options.*option = true;
    return options;
}

TextOptions allOn()
{
    return {true, true, true, true, true};
}

// n copies of a place, one per word.
std::vector<LinePlace> at(int page, int line, int words)
{
    return std::vector<LinePlace>(size_t(words), LinePlace{page, line});
}

std::vector<LinePlace> operator+(std::vector<LinePlace> a, const std::vector<LinePlace> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The lines the head finder leaves out, as "page: text".
QStringList leftOut(const QByteArray &text)
{
    QHash<QString, QString> lines; // "page.line" -> text
    RunningHeadFinder finder;
    LineSplitter splitter([&](QByteArrayView line, LinePlace place) {
        lines.insert(QStringLiteral("%1.%2").arg(place.page).arg(place.line),
                     QString::fromUtf8(line));
        finder.addLine(line, place);
    });
    splitter.feed(text);
    splitter.finish();
    QStringList found;
    for (const LinePlace place : finder.linesToLeaveOut())
        found << QStringLiteral("%1: %2")
                     .arg(place.page)
                     .arg(lines.value(QStringLiteral("%1.%2").arg(place.page).arg(place.line)));
    return found;
}

// Body lines that differ from page to page in their words, not only in their numbers.
QByteArray bodyOfPage(int page)
{
    static const QStringList nouns{"river",  "meadow", "lantern", "harbour", "orchard", "quarry",
                                   "bridge", "valley", "garden",  "forest",  "island",  "mill"};
    QByteArray body;
    for (int line = 0; line < 4; ++line) {
        const QString noun = nouns[(page * 5 + line * 7) % nouns.size()];
        const QString other = nouns[(page * 3 + line * 11 + 1) % nouns.size()];
        body += QStringLiteral("the %1 by the %2 line %3 of page %4\n")
                    .arg(noun, other)
                    .arg(line)
                    .arg(page)
                    .toUtf8();
    }
    return body;
}

// A text of `pages` pages, each its head (when not empty), its body and its foot (when not
// empty), ended by a form feed.
QByteArray pagesOf(int pages, const std::function<QByteArray(int)> &head,
                   const std::function<QByteArray(int)> &foot,
                   const std::function<QByteArray(int)> &body = bodyOfPage)
{
    QByteArray text;
    for (int page = 1; page <= pages; ++page) {
        if (const QByteArray top = head(page); !top.isEmpty())
            text += top + "\n\n";
        text += body(page);
        if (const QByteArray bottom = foot(page); !bottom.isEmpty())
            text += "\n" + bottom + "\n";
        text += '\f';
    }
    return text;
}

QByteArray none(int)
{
    return {};
}

} // namespace

// Everything off

TEST(CountedText, WithEveryOptionOffEachLineIsCountedAsTheConverterWroteIt)
{
    const QByteArray text = "  An exam-\nple\t of “ﬁne”\r\u00A0text,\n\n\f- 2 -\nwell-\nknown";
    std::vector<Counted> expected;
    LineSplitter splitter([&](QByteArrayView line, LinePlace place) {
        expected.push_back(
            {QString::fromUtf8(line),
             at(place.page, place.line, int(engineWordCount(QString::fromUtf8(line))))});
    });
    splitter.feed(text);
    splitter.finish();
    EXPECT_EQ(counted(text, TextOptions{}), expected);
}

TEST(CountedText, AFailingReadIsReportedWithEveryOption)
{
    for (const TextOptions &options : {TextOptions{}, allOn()}) {
        const TextSource failing = [](const LineSink &) {
            return Status(Failure{QStringLiteral("Cannot read x")});
        };
        const Status status = readCountedLines(
            options, failing, [](const CountedLine &) { ADD_FAILURE() << "no line expected"; });
        EXPECT_EQ(status.error(), QStringLiteral("Cannot read x"));
    }
}

// Joining wrapped lines

TEST(CountedText, WrappedLinesJoinUntilABlankLineAPageBreakOrTheEnd)
{
    EXPECT_EQ(counted("a b\nc\n \t\nd e\ff\ng h", only(&TextOptions::joinWrappedLines)),
              (std::vector<Counted>{{"a b c", at(1, 1, 2) + at(1, 2, 1)},
                                    {"d e", at(1, 4, 2)},
                                    {"f g h", at(2, 1, 1) + at(2, 2, 2)}}));
    EXPECT_TRUE(counted("\n\n \f\f", only(&TextOptions::joinWrappedLines)).empty());
}

// A text without blank lines or pages is handed over in paragraphs of about a megabyte, at
// line breaks, and loses no word.
TEST(CountedText, AVeryLongParagraphIsHandedOverInPiecesAtLineBreaks)
{
    const QByteArray line = "a line of ten words that goes on and on\n";
    const QByteArray text = line.repeated(30000); // 1.2 MB
    const QStringList paragraphs = countedTexts(text, only(&TextOptions::joinWrappedLines));
    ASSERT_EQ(paragraphs.size(), 2);
    EXPECT_EQ(engineWordCount(paragraphs[0]) + engineWordCount(paragraphs[1]), 300000);
    EXPECT_TRUE(paragraphs[1].startsWith(QStringLiteral("a line of")));
}

// Rejoining hyphenated words

TEST(CountedText, AWordSplitAtALineEndIsRejoinedOnItsFirstLine)
{
    const TextOptions options = only(&TextOptions::rejoinHyphenatedWords);
    EXPECT_EQ(counted("an exam-\nple, of it\nlast", options),
              (std::vector<Counted>{
                  {"an example,", at(1, 1, 2)}, {"of it", at(1, 2, 2)}, {"last", at(1, 3, 1)}}));
    // A line that was only the rest of the word stays as an empty line.
    EXPECT_EQ(countedTexts("exam-\nple\nnext", options), (QStringList{"example", "", "next"}));
    // Hyphen sign and soft hyphen.
    EXPECT_EQ(countedTexts("exam\u2010\nple soft\u00AD\nly", options),
              (QStringList{"example", "softly", ""}));
}

TEST(CountedText, TheHyphenStaysWhereTheTextShowsTheWordHyphenatedElsewhere)
{
    const TextOptions options = only(&TextOptions::rejoinHyphenatedWords);
    EXPECT_EQ(countedTexts("a well-\nknown, wide-\nranging\nthe “Well-Known” one", options),
              (QStringList{"a well-known,", "wideranging", "", "the “Well-Known” one"}));
    // Shown later in the text counts as well, and a soft hyphen never stays.
    EXPECT_EQ(countedTexts("the well\u00AD\nknown\nwell-known", options),
              (QStringList{"the wellknown", "", "well-known"}));
}

TEST(CountedText, AHyphenIsKeptWhenTheNextLineDoesNotGoOnInLowerCase)
{
    const TextOptions options = only(&TextOptions::rejoinHyphenatedWords);
    EXPECT_EQ(countedTexts("an exam-\nPle\nsee 1-\n2 or x --\nand -\nor\nlast-", options),
              (QStringList{"an exam-", "Ple", "see 1-", "2 or x --", "and -", "or", "last-"}));
}

// Blank lines, a page break and left-out heads and feet may stand between the two halves; the
// rest of the second line stays where it was.
TEST(CountedText, AWordIsRejoinedAcrossBlankLinesAndAPageBreak)
{
    EXPECT_EQ(counted("the hun-\n\n\fdred steps", only(&TextOptions::rejoinHyphenatedWords)),
              (std::vector<Counted>{
                  {"the hundred", at(1, 1, 2)}, {"", {}}, {"", {}}, {"steps", at(2, 1, 1)}}));
    TextOptions joined = only(&TextOptions::rejoinHyphenatedWords);
    joined.joinWrappedLines = true;
    EXPECT_EQ(counted("an exam-\nple of\nit\n\nthe hun-\n\n\fdred steps", joined),
              (std::vector<Counted>{{"an example of it", at(1, 1, 2) + at(1, 2, 1) + at(1, 3, 1)},
                                    {"the hundred", at(1, 5, 2)},
                                    {"steps", at(2, 1, 1)}}));
}

// Running heads and feet: the masks

TEST(RunningHeads, LinesAreMaskedForComparison)
{
    EXPECT_EQ(maskedLine("Chapter  IV:\tPlots 45"), QByteArray("chapter #: plots #"));
    EXPECT_EQ(maskedLine("Page 12 of 300"), QByteArray("page # of #"));
    EXPECT_EQ(maskedLine("xii"), QByteArray("#"));
    EXPECT_EQ(maskedLine("v1.2.10 Notes"), QByteArray("v#.#.# notes"));
    // Words made of roman-numeral letters that are not numerals stay.
    EXPECT_EQ(maskedLine("did civil"), QByteArray("did civil"));
    EXPECT_EQ(maskedLine("ÉTÉ"), QByteArray("été"));
}

TEST(RunningHeads, OnlyLinesThatAreAPageNumberArePageNumbers)
{
    for (const char *line : {"#", "- # -", "– # –", "page #", "page # of #", "# / #", "[#]"})
        EXPECT_TRUE(isPageNumberOnly(line)) << line;
    for (const char *line : {"# apples", "chapter #", "#.#", "", "- -"})
        EXPECT_FALSE(isPageNumberOnly(line)) << line;
}

// Running heads and feet: which lines are left out

// The title page shows the title of the even pages' heads at its top: it stays there. The feet
// are as groff sets them, with minus signs.
TEST(RunningHeads, AlternatingHeadsAndNumberedFeetAreLeftOutOnThePagesOfTheirParity)
{
    const auto head = [](int page) -> QByteArray {
        if (page == 1)
            return {};
        return page % 2 ? "Chapter One: Rivers" : "The Orvanta Book";
    };
    const auto foot = [](int page) {
        return page == 1 ? QByteArray() : QByteArray::number(page).prepend("−").append("−");
    };
    const auto body = [](int page) {
        return page == 1 ? QByteArray("The Orvanta Book\nA novel\n") : bodyOfPage(page);
    };
    QStringList expected;
    for (int page = 2; page <= 9; ++page)
        expected << QStringLiteral("%1: %2").arg(page).arg(QString::fromUtf8(head(page)))
                 << QStringLiteral("%1: −%1−").arg(page);
    EXPECT_EQ(leftOut(pagesOf(9, head, foot, body)), expected);
}

// Page numbers may start anywhere (a reprint's pages 117 to 120) and may be roman.
TEST(RunningHeads, HeadsWithNumbersAndRomanPageNumbersAreLeftOut)
{
    const QByteArray text = pagesOf(
        4, [](int page) { return QStringLiteral("Plotting %1").arg(page + 116).toUtf8(); },
        [](int page) { return QByteArray(page == 4 ? "iv" : QByteArray("i").repeated(page)); });
    EXPECT_EQ(leftOut(text),
              (QStringList{"1: Plotting 117", "1: i", "2: Plotting 118", "2: ii", "3: Plotting 119",
                           "3: iii", "4: Plotting 120", "4: iv"}));
}

TEST(RunningHeads, AHeadOnFewerThanThreePagesOrAThirdOfItsParityIsKept)
{
    // On two pages only, also when it stands twice at the top of each.
    EXPECT_TRUE(leftOut(pagesOf(
                            2, [](int) { return QByteArray("Appendix"); }, none))
                    .isEmpty());
    EXPECT_TRUE(
        leftOut(pagesOf(
                    4,
                    [](int page) { return page > 2 ? QByteArray() : QByteArray("Note 1\nNote 2"); },
                    none))
            .isEmpty());
    // On the first 3 and the first 4 of 12 odd pages: a third needs 4.
    const auto onFirstOddPages = [](int count) {
        return pagesOf(
            24,
            [count](int page) {
                return page % 2 && page <= 2 * count ? QByteArray("Field Notes") : QByteArray();
            },
            none);
    };
    EXPECT_TRUE(leftOut(onFirstOddPages(3)).isEmpty());
    EXPECT_EQ(leftOut(onFirstOddPages(4)), (QStringList{"1: Field Notes", "3: Field Notes",
                                                        "5: Field Notes", "7: Field Notes"}));
}

TEST(RunningHeads, ALineThatAlsoStandsInTheBodyIsKept)
{
    const auto body = [](int page) {
        QByteArray lines = bodyOfPage(page);
        if (page == 3)
            lines.insert(lines.indexOf('\n') + 1, "The Orvanta Book\n");
        return lines;
    };
    EXPECT_TRUE(leftOut(pagesOf(
                            6, [](int) { return QByteArray("The Orvanta Book"); }, none, body))
                    .isEmpty());
}

TEST(RunningHeads, LinesInTheMiddleOfAPageAreNeverLeftOut)
{
    const auto body = [](int page) {
        QByteArray lines = bodyOfPage(page);
        lines.insert(lines.indexOf('\n', lines.indexOf('\n') + 1) + 1,
                     "See the figure below.\n7\n");
        return lines;
    };
    EXPECT_TRUE(leftOut(pagesOf(6, none, none, body)).isEmpty());
}

TEST(RunningHeads, ALonePageNumberAtAnEdgeIsLeftOutEvenOnOnePage)
{
    EXPECT_EQ(leftOut("Page 1\nA short note.\nIt has three lines.\nThe end.\n\n- 1 -\n\f"),
              (QStringList{"1: Page 1", "1: - 1 -"}));
}

// A section number or a code line number alone at the top of a page does not follow the pages,
// and numbers alone never repeat as heads. A page number that also stands in the body (a table
// of contents) still goes.
TEST(RunningHeads, NumbersAloneThatAreNotPageNumbersAreKept)
{
    const auto pageNumber = [](int page) { return QByteArray::number(page); };
    const auto sectionOnPage4 = [](int page) {
        return (page == 4 ? QByteArray("7\n") : QByteArray()) + bodyOfPage(page);
    };
    EXPECT_EQ(leftOut(pagesOf(5, none, pageNumber, sectionOnPage4)),
              (QStringList{"1: 1", "2: 2", "3: 3", "4: 4", "5: 5"}));
    const auto sections = [](int page) {
        return QStringLiteral("1.%1\n").arg(page).toUtf8() + bodyOfPage(page);
    };
    EXPECT_TRUE(leftOut(pagesOf(6, none, none, sections)).isEmpty());
    const auto threeInBodyOfPage2 = [](int page) {
        QByteArray lines = bodyOfPage(page);
        if (page == 2)
            lines.insert(lines.indexOf('\n', lines.indexOf('\n') + 1) + 1, "3\n");
        return lines;
    };
    EXPECT_EQ(leftOut(pagesOf(3, none, pageNumber, threeInBodyOfPage2)),
              (QStringList{"1: 1", "2: 2", "3: 3"}));
}

TEST(CountedText, LeftOutHeadsAndFeetAreNotCountedAndTheOtherLinesKeepTheirPlaces)
{
    static const QStringList bodies{"alpha beta", "gamma delta", "epsilon zeta"};
    const QByteArray text = pagesOf(
        3, [](int) { return QByteArray("Orvanta Guide"); },
        [](int page) { return QByteArray::number(page); },
        [](int page) { return (bodies[page - 1] + u'\n').toUtf8(); });
    std::vector<Counted> expected;
    for (int page = 1; page <= 3; ++page)
        expected.insert(expected.end(),
                        {{"", {}}, {bodies[page - 1], at(page, 3, 2)}, {"", {}}, {"", {}}});
    EXPECT_EQ(counted(text, only(&TextOptions::dropRunningHeads)), expected);
}

// Punctuation

TEST(CountedText, PunctuationAtTheStartAndEndOfWordsIsLeftOut)
{
    EXPECT_EQ(
        counted("“License.” (see: §3) — don't e.g. 3.14, ``TeX'' ... ¡Olé! «ça» a_b_",
                only(&TextOptions::ignorePunctuation)),
        (std::vector<Counted>{{"License see 3 don't e.g 3.14 TeX Olé ça a_b", at(1, 1, 10)}}));
    // Symbols that are not punctuation stay.
    EXPECT_EQ(countedTexts("C++ $5 +1 x² 100% #tag", only(&TextOptions::ignorePunctuation)),
              QStringList{"C++ $5 +1 x² 100 tag"});
}

// Compatibility characters

TEST(CountedText, CompatibilityCharactersAreNormalised)
{
    EXPECT_EQ(counted("ﬁne ﬂow ＡＢＣ１２ café a\u00A0b\u2009c\u3000d",
                      only(&TextOptions::normaliseCompatibility)),
              (std::vector<Counted>{{"fine flow ABC12 café a b c d", at(1, 1, 8)}}));
}

// All together

TEST(CountedText, AllOptionsTogetherGiveTheParagraphsAsPeopleReadThem)
{
    const QByteArray text = "Orvanta Guide\n"
                            "The ﬁrst paragraph shows a well-known\n"
                            "figure and an exam-\n"
                            "ple, “quoted” here.\n"
                            "\n"
                            "A second paragraph starts and con-\n"
                            "- 1 -\n"
                            "\f"
                            "Orvanta Guide\n"
                            "tinues on this page; it ends.\n"
                            "Then the well-\n"
                            "known river flows.\n"
                            "- 2 -\n"
                            "\f"
                            "Orvanta Guide\n"
                            "Rivers run into the sea.\n"
                            "- 3 -\n"
                            "\f";
    EXPECT_EQ(counted(text, allOn()),
              (std::vector<Counted>{
                  {"The first paragraph shows a well-known figure and an example quoted here",
                   at(1, 2, 6) + at(1, 3, 4) + at(1, 4, 2)},
                  {"A second paragraph starts and continues", at(1, 6, 6)},
                  {"on this page it ends Then the well-known river flows",
                   at(2, 2, 5) + at(2, 3, 3) + at(2, 4, 2)},
                  {"Rivers run into the sea", at(3, 2, 5)}}));
}
