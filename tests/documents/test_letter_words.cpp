#include "QtPrinters.h"
#include "documents/CountedText.h"
#include "documents/LetterWords.h"
#include "phrases/PhraseTable.h"
#include "phrases/ReferenceCounter.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace orvanta;

namespace {

// A text read from its start on every call.
TextSource sourceOf(const QByteArray &text)
{
    return [text](const LineSink &sink) {
        LineSplitter splitter(sink);
        splitter.feed(text);
        splitter.finish();
        return Status{};
    };
}

TextOptions lettersNeeded(bool TextOptions::*other = nullptr)
{
    TextOptions options;
    options.wordsNeedLetters = true;
    if (other != nullptr)
        options.*other = true;
    return options;
}

struct Piece {
    QString text;
    QString whole;
    std::vector<LinePlace> places;
    bool operator==(const Piece &) const = default;
};

void PrintTo(const Piece &piece, std::ostream *out)
{
    *out << '"' << piece.text.toStdString() << "\" of \"" << piece.whole.toStdString() << '"';
    for (const LinePlace place : piece.places)
        *out << " p" << place.page << "l" << place.line;
}

std::vector<Piece> piecesOf(const QByteArray &text, const TextOptions &options)
{
    std::vector<Piece> pieces;
    const Status status = readCountedLines(
        options, sourceOf(text),
        [&](const CountedLine &line) {
            Piece piece{QString::fromUtf8(line.text),
                        QString::fromUtf8(line.whole.isNull() ? line.text : line.whole),
                        {}};
            for (const WordPlace &word : line.words)
                piece.places.push_back(word.place);
            pieces.push_back(piece);
        },
        /*withPlaces=*/true);
    EXPECT_TRUE(status.ok());
    return pieces;
}

QStringList textsOf(const std::vector<Piece> &pieces)
{
    QStringList texts;
    for (const Piece &piece : pieces)
        texts << piece.text;
    return texts;
}

std::vector<LinePlace> at(int page, int line, int words)
{
    return std::vector<LinePlace>(size_t(words), LinePlace{page, line});
}

// The plain reference: the words of each line, cut into runs at every word in which no
// character is a letter or number by QChar, each run a line of its own.
std::vector<QByteArray> referenceRuns(const std::vector<QByteArray> &lines)
{
    static const QRegularExpression separators(QStringLiteral("[ \t\r]+"));
    std::vector<QByteArray> runs;
    for (const QByteArray &line : lines) {
        QStringList run;
        for (const QString &word : QString::fromUtf8(line).split(separators, Qt::SkipEmptyParts)) {
            const QList<uint> codePoints = word.toUcs4();
            if (std::any_of(codePoints.begin(), codePoints.end(),
                            [](uint c) { return QChar::isLetterOrNumber(char32_t(c)); })) {
                run << word;
                continue;
            }
            runs.push_back(run.join(QLatin1Char(' ')).toUtf8());
            run.clear();
        }
        runs.push_back(run.join(QLatin1Char(' ')).toUtf8());
    }
    return runs;
}

std::vector<PhraseRow> engineCount(const QByteArray &text, const std::vector<int> &lengths)
{
    PhraseTable table(lengths);
    const Status status =
        readCountedLines(lettersNeeded(), sourceOf(text),
                         [&](const CountedLine &line) { table.countLine(line.text); });
    EXPECT_TRUE(status.ok());
    PhraseResults results = table.extractRepeatedPhrases();
    results.sortForDisplay();
    std::vector<PhraseRow> rows;
    for (qsizetype i = 0; i < results.size(); ++i)
        rows.push_back(results.row(i));
    return rows;
}

} // namespace

// Which words hold a letter or digit

TEST(LetterWords, AWordNeedsALetterOrNumberOfAnyScript)
{
    struct Case {
        const char *word;
        bool letterOrDigit;
        bool letter;
    };
    const Case cases[] = {
        {"word", true, true},     {"Word,", true, true},
        {"12", true, false},      {"1.2.3", true, false},
        {"x²", true, true},       {"²", true, false},
        {"½", true, false},       {"Ⅻ", true, false},
        {"§3", true, false},      {"l'été", true, true},
        {"北京", true, true},     {"مرحبا", true, true},
        {"ǅ", true, true},        {"ʰ", true, true},
        {".", false, false},      {". . .", false, false},
        {"--", false, false},     {"|", false, false},
        {"•", false, false},      {"©", false, false},
        {"→", false, false},      {"+/-", false, false},
        {"—", false, false},      {"…", false, false},
        {"\u0301", false, false}, {"\U0001F600", false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(holdsLetterOrDigit(c.word), c.letterOrDigit) << c.word;
        EXPECT_EQ(holdsLetter(c.word), c.letter) << c.word;
    }
}

TEST(LetterWords, TheShareOfLetterWordsCountsEveryWord)
{
    EXPECT_DOUBLE_EQ(letterWordShare("the number of"), 1.0);
    EXPECT_DOUBLE_EQ(letterWordShare(". . . 12 the end"), 2.0 / 6);
    EXPECT_DOUBLE_EQ(letterWordShare("1 2 3 4"), 0.0);
    EXPECT_DOUBLE_EQ(letterWordShare(""), 0.0);
}

// Cutting the counted lines

TEST(LetterWords, ALineIsCutAtEveryWordWithoutALetterOrDigit)
{
    const QByteArray line = "Contents . . . . 12 the end -- of | it\n";
    EXPECT_EQ(piecesOf(line, lettersNeeded()), (std::vector<Piece>{
                                                   {"Contents", line.trimmed(), at(1, 1, 1)},
                                                   {"12 the end", line.trimmed(), at(1, 1, 3)},
                                                   {"of", line.trimmed(), at(1, 1, 1)},
                                                   {"it", line.trimmed(), at(1, 1, 1)},
                                               }));
    // Lines with every word a word, or none, go through as they are.
    EXPECT_EQ(textsOf(piecesOf("a b\n. . .\n\nc\td", lettersNeeded())),
              (QStringList{"a b", "", "c\td"}));
}

TEST(LetterWords, TheCutAppliesWithTheOtherTextOptions)
{
    // Punctuation alone still parts phrases when punctuation at word ends is ignored.
    EXPECT_EQ(
        textsOf(piecesOf("the end. -- (Next) ©", lettersNeeded(&TextOptions::ignorePunctuation))),
        (QStringList{"the end", "Next"}));
    // A joined paragraph is cut, with each piece's words where they stand.
    EXPECT_EQ(piecesOf("a b . .\nc d\n\ne", lettersNeeded(&TextOptions::joinWrappedLines)),
              (std::vector<Piece>{{"a b", "a b . . c d", at(1, 1, 2)},
                                  {"c d", "a b . . c d", at(1, 2, 2)},
                                  {"e", "e", at(1, 4, 1)}}));
}

// Exact: the engine's counts of generated texts with dot leaders, rules, symbols and words of
// several scripts match the plain reference's.
TEST(LetterWords, CountingMatchesThePlainReference)
{
    const std::vector<QByteArray> vocabulary{
        "the", "The", "of", "number", "x²", "½", "§3", "12",  "été", "ÉTÉ", "北京", ".",
        ". .", "--",  "|",  "•",      "©",  "—", "…",  "+/-", "(a)", "’",   "Ⅻ",    "end."};
    std::mt19937 random(31);
    const auto below = [&random](size_t bound) {
        return std::uniform_int_distribution<size_t>(0, bound - 1)(random);
    };
    for (int round = 0; round < 20; ++round) {
        std::vector<QByteArray> lines;
        QByteArray text;
        for (size_t line = 0, count = 40 + below(40); line < count; ++line) {
            QByteArray words;
            for (size_t word = 0, length = below(12); word < length; ++word)
                words +=
                    (word ? (below(8) ? " " : "\t ") : "") + vocabulary[below(vocabulary.size())];
            lines.push_back(words);
            text += words + (below(10) ? "\n" : "\f");
        }
        const std::vector<int> lengths{1, 2, 3, 5};
        ASSERT_EQ(engineCount(text, lengths), referenceCount(referenceRuns(lines), lengths))
            << "round " << round;
    }
}
