// What the text options do to counts, and what they cost.
//
//   bench_text_options proof DIR     counts of DIR/NAME.txt (converted books) with every option
//                                    on, against the counts of DIR/NAME.paragraphs (their
//                                    source, a paragraph a line); running heads left out and
//                                    kept, judged by DIR/NAME.heads (make-proof-pdfs.sh)
//   bench_text_options effects DIR [SAMPLE]
//                                    rows and occurrences of the texts DIR/*.txt with every
//                                    option off, each alone and all on; the lines running-head
//                                    detection leaves out, and SAMPLE of them (default 40)
//   bench_text_options time DIR [ROUNDS]
//                                    processor time for counting DIR/*.txt with every option
//                                    off, each alone and all on, the least of ROUNDS rounds
//                                    (default 7)
//
// Phrases of 2 to 5 words are counted; a row is a phrase counted at least twice, as the results
// list shows them.

#include "documents/CountedText.h"
#include "documents/RunningHeads.h"
#include "phrases/PhraseResults.h"
#include "phrases/PhraseTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

using namespace orvanta;

namespace {

const std::vector<int> kLengths{2, 3, 4, 5};

using Counts = QHash<QString, int>; // phrase -> occurrences, rows only

TextOptions allOn()
{
    return {true, true, true, true, true};
}

void print(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
}

QStringList filesIn(const QString &folder, const QString &pattern)
{
    QStringList paths;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({pattern}, QDir::Files, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    return file.readAll();
}

// Reads a converted text from its file, from the start on every call, as a counting run does.
Status readText(const QString &path, const TextOptions &options, const CountedLineSink &sink)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Failure{QStringLiteral("cannot open %1").arg(path)};
    const TextSource source = [&](const LineSink &lines) {
        ::lseek(fd, 0, SEEK_SET);
        return readLines(fd, path, lines);
    };
    const Status status = readCountedLines(options, source, sink);
    ::close(fd);
    return status;
}

void countTexts(const QStringList &paths, const TextOptions &options, PhraseTable &table)
{
    for (const QString &path : paths) {
        table.beginDocument();
        const Status status =
            readText(path, options, [&](const CountedLine &line) { table.countLine(line.text); });
        if (!status.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(status.error()));
            std::exit(1);
        }
    }
}

Counts rowsOf(const PhraseTable &table)
{
    const PhraseResults results = table.extractRepeatedPhrases();
    Counts counts;
    for (qsizetype i = 0; i < results.size(); ++i) {
        const std::string_view phrase = results.phraseUtf8(i);
        counts.insert(QString::fromUtf8(phrase.data(), qsizetype(phrase.size())),
                      results.frequency(i));
    }
    return counts;
}

qint64 occurrencesOf(const Counts &counts)
{
    qint64 total = 0;
    for (const int count : counts)
        total += count;
    return total;
}

QString percent(double part, double whole)
{
    return QString::number(whole > 0 ? 100.0 * part / whole : 100.0, 'f', 2) + u'%';
}

// Every option off, each alone, and all on.
using Option = bool TextOptions::*;

const std::vector<std::pair<QString, Option>> &singleOptions()
{
    static const std::vector<std::pair<QString, Option>> single{
        {"join wrapped lines", &TextOptions::joinWrappedLines},
        {"rejoin hyphenated words", &TextOptions::rejoinHyphenatedWords},
        {"leave out running heads", &TextOptions::dropRunningHeads},
        {"ignore punctuation", &TextOptions::ignorePunctuation},
        {"normalise compatibility", &TextOptions::normaliseCompatibility},
        {"words need letters", &TextOptions::wordsNeedLetters}};
    return single;
}

std::vector<std::pair<QString, TextOptions>> configurations()
{
    std::vector<std::pair<QString, TextOptions>> all{{"every option off", {}}};
    for (const auto &[label, option] : singleOptions()) {
        TextOptions options;
        options.*option = true;
        all.push_back({label, options});
    }
    all.push_back({"all on", allOn()});
    return all;
}

// The proof

// A source paragraph as a reader takes it: words without the punctuation at their ends.
QByteArray foldedParagraph(const QString &paragraph)
{
    QStringList words;
    for (QString word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
        while (!word.isEmpty() && word.front().isPunct())
            word.remove(0, 1);
        while (!word.isEmpty() && word.back().isPunct())
            word.chop(1);
        if (!word.isEmpty())
            words << word;
    }
    return words.join(u' ').toUtf8();
}

struct Agreement {
    qsizetype rows = 0; // in either
    qsizetype agreeing = 0;
    qint64 occurrences = 0; // the larger count of each row, summed
    qint64 shared = 0;      // the smaller count of each row, summed
    std::vector<std::pair<QString, std::pair<int, int>>> differing;
};

Agreement compare(const Counts &reference, const Counts &counted)
{
    QSet<QString> phrases;
    for (auto it = reference.begin(); it != reference.end(); ++it)
        phrases.insert(it.key());
    for (auto it = counted.begin(); it != counted.end(); ++it)
        phrases.insert(it.key());
    Agreement agreement;
    for (const QString &phrase : phrases) {
        const int expected = reference.value(phrase);
        const int found = counted.value(phrase);
        ++agreement.rows;
        agreement.agreeing += expected == found;
        agreement.occurrences += std::max(expected, found);
        agreement.shared += std::min(expected, found);
        if (expected != found)
            agreement.differing.push_back({phrase, {expected, found}});
    }
    std::sort(agreement.differing.begin(), agreement.differing.end());
    return agreement;
}

void printAgreement(const QString &label, const Agreement &agreement)
{
    print(QStringLiteral("%1: rows agreeing %2 of %3 (%4), occurrences agreeing %5 of %6 (%7)")
              .arg(label)
              .arg(agreement.agreeing)
              .arg(agreement.rows)
              .arg(percent(double(agreement.agreeing), double(agreement.rows)))
              .arg(agreement.shared)
              .arg(agreement.occurrences)
              .arg(percent(double(agreement.shared), double(agreement.occurrences))));
}

Counts byLength(const Counts &counts, int length)
{
    Counts only;
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (it.key().count(u' ') + 1 == length)
            only.insert(it.key(), it.value());
    }
    return only;
}

struct TextLine {
    QString text;
    LinePlace place;
};

std::vector<TextLine> linesOf(const QByteArray &text)
{
    std::vector<TextLine> lines;
    LineSplitter splitter([&lines](QByteArrayView line, LinePlace place) {
        lines.push_back({QString::fromUtf8(line), place});
    });
    splitter.feed(text);
    splitter.finish();
    return lines;
}

std::vector<TextLine> leftOutLines(const std::vector<TextLine> &lines)
{
    RunningHeadFinder finder;
    for (const TextLine &line : lines)
        finder.addLine(line.text.toUtf8(), line.place);
    const std::vector<LinePlace> places = finder.linesToLeaveOut();
    std::vector<TextLine> leftOut;
    for (const TextLine &line : lines) {
        if (std::find(places.begin(), places.end(), line.place) != places.end())
            leftOut.push_back(line);
    }
    return leftOut;
}

// A running head or foot of a made book: a page number alone, or past the title page one of the
// head texts with the page number.
bool isHeadLine(const TextLine &line, const QStringList &heads)
{
    static const QRegularExpression numbers(QStringLiteral("[0-9\u2212\\-]+|^Page "));
    const QString rest = QString(line.text).remove(numbers).simplified();
    return rest.isEmpty() || (line.place.page > 1 && heads.contains(rest));
}

struct HeadCheck {
    int pages = 0;
    int leftOut = 0;
    QStringList bodyLeftOut; // wrong drops
    QStringList headsKept;   // misses
};

void checkHeads(const QString &name, const QByteArray &text, const QStringList &heads,
                HeadCheck &check)
{
    const std::vector<TextLine> lines = linesOf(text);
    const std::vector<TextLine> leftOut = leftOutLines(lines);
    check.pages += lines.empty() ? 0 : lines.back().place.page;
    check.leftOut += int(leftOut.size());
    const auto where = [&name](const TextLine &line) {
        return QStringLiteral("%1 p%2: %3").arg(name).arg(line.place.page).arg(line.text);
    };
    for (const TextLine &line : leftOut) {
        if (!isHeadLine(line, heads))
            check.bodyLeftOut << where(line);
    }
    for (const TextLine &line : lines) {
        const bool dropped = std::any_of(leftOut.begin(), leftOut.end(),
                                         [&](const TextLine &l) { return l.place == line.place; });
        if (!dropped && !line.text.trimmed().isEmpty() && isHeadLine(line, heads))
            check.headsKept << where(line);
    }
}

// What in the converted texts asks for the options beyond heads: ligature characters, and words
// split by a hyphen at a line end that pdftotext left split (at page ends).
QString whatTheTextsHold(const QStringList &texts)
{
    static const QRegularExpression splitWord(QStringLiteral("\\p{L}-$"),
                                              QRegularExpression::MultilineOption);
    qsizetype ligatures = 0;
    qsizetype split = 0;
    for (const QString &path : texts) {
        const QString text = QString::fromUtf8(contentsOf(path));
        ligatures += std::count_if(text.begin(), text.end(), [](QChar c) {
            return c.unicode() >= 0xFB00 && c.unicode() <= 0xFB04;
        });
        for (QRegularExpressionMatchIterator it = splitWord.globalMatch(text); it.hasNext();
             it.next())
            ++split;
    }
    return QStringLiteral("%1 ligature characters, %2 words split at a line end")
        .arg(ligatures)
        .arg(split);
}

int proof(const QString &folder)
{
    const QStringList sources = filesIn(folder, QStringLiteral("*.paragraphs"));
    PhraseTable reference(kLengths);
    QStringList texts;
    HeadCheck heads;
    for (const QString &source : sources) {
        reference.beginDocument();
        for (const QString &paragraph : QString::fromUtf8(contentsOf(source)).split(u'\n'))
            reference.countLine(foldedParagraph(paragraph));
        const QString base = source.chopped(QStringLiteral(".paragraphs").size());
        texts << base + QStringLiteral(".txt");
        const QStringList headTexts =
            QString::fromUtf8(contentsOf(base + QStringLiteral(".heads"))).split(u'\n');
        checkHeads(QFileInfo(base).fileName(), contentsOf(texts.back()), headTexts, heads);
    }
    const Counts expected = rowsOf(reference);
    print(QStringLiteral("%1 books, %2 pages, phrases of 2 to 5 words; the converted texts hold %3")
              .arg(sources.size())
              .arg(heads.pages)
              .arg(whatTheTextsHold(texts)));
    const auto countedRows = [&texts](const TextOptions &options) {
        PhraseTable table(kLengths);
        countTexts(texts, options, table);
        return rowsOf(table);
    };
    printAgreement(QStringLiteral("every option off"), compare(expected, countedRows({})));
    const Counts counted = countedRows(allOn());
    const Agreement agreement = compare(expected, counted);
    printAgreement(QStringLiteral("all on"), agreement);
    for (const int length : kLengths)
        printAgreement(QStringLiteral("  %1 words").arg(length),
                       compare(byLength(expected, length), byLength(counted, length)));
    for (const auto &[label, option] : singleOptions()) {
        TextOptions allBut = allOn();
        allBut.*option = false;
        printAgreement(QStringLiteral("all on but \"%1\"").arg(label),
                       compare(expected, countedRows(allBut)));
    }
    print(QStringLiteral("rows that differ with all on (source count, counted):"));
    for (const auto &[phrase, counts] : agreement.differing)
        print(QStringLiteral("  %1: %2, %3").arg(phrase).arg(counts.first).arg(counts.second));
    print(QStringLiteral("running heads and feet: %1 lines left out, %2 of them body lines; "
                         "%3 head or foot lines kept")
              .arg(heads.leftOut)
              .arg(heads.bodyLeftOut.size())
              .arg(heads.headsKept.size()));
    for (const QString &line : heads.bodyLeftOut)
        print(QStringLiteral("  body line left out: ") + line);
    for (const QString &line : heads.headsKept)
        print(QStringLiteral("  head kept: ") + line);
    return 0;
}

// Effects on a set of texts

int effects(const QString &folder, int sample)
{
    const QStringList texts = filesIn(folder, QStringLiteral("*.txt"));
    print(QStringLiteral("%1 texts, phrases of 2 to 5 words").arg(texts.size()));
    Counts off;
    for (const auto &[label, options] : configurations()) {
        PhraseTable table(kLengths);
        countTexts(texts, options, table);
        const Counts rows = rowsOf(table);
        if (!options.any())
            off = rows;
        const Agreement change = compare(off, rows);
        print(QStringLiteral("%1: %2 rows, %3 occurrences; rows changed from every option off: %4")
                  .arg(label, -24)
                  .arg(rows.size())
                  .arg(occurrencesOf(rows))
                  .arg(change.rows - change.agreeing));
    }
    std::vector<QString> pageNumbers;
    std::vector<QString> withWords;
    int lines = 0;
    for (const QString &path : texts) {
        const std::vector<TextLine> all = linesOf(contentsOf(path));
        lines += int(all.size());
        for (const TextLine &line : leftOutLines(all)) {
            const bool number = isPageNumberOnly(maskedLine(line.text.toUtf8()));
            (number ? pageNumbers : withWords)
                .push_back(QStringLiteral("%1 p%2: %3")
                               .arg(QFileInfo(path).completeBaseName())
                               .arg(line.place.page)
                               .arg(line.text));
        }
    }
    print(QStringLiteral("running heads and feet: %1 of %2 lines left out: %3 lone page "
                         "numbers, %4 lines with words; a sample of each:")
              .arg(pageNumbers.size() + withWords.size())
              .arg(lines)
              .arg(pageNumbers.size())
              .arg(withWords.size()));
    for (const std::vector<QString> *kind : {&pageNumbers, &withWords}) {
        const size_t step = std::max<size_t>(1, kind->size() / size_t(std::max(sample / 2, 1)));
        for (size_t i = 0; i < kind->size(); i += step)
            print(QStringLiteral("  ") + (*kind)[i]);
    }
    return 0;
}

// Timing

// Processor time rather than wall time: the machines these run on are shared, and another job
// would otherwise count as ours.
double processorSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

double secondsOf(const std::function<void()> &work)
{
    const double begin = processorSeconds();
    work();
    return processorSeconds() - begin;
}

// The least time of the rounds: the one the other jobs on the machine disturbed least.
double least(const std::vector<double> &values)
{
    return *std::min_element(values.begin(), values.end());
}

int timing(const QString &folder, int rounds)
{
    const QStringList texts = filesIn(folder, QStringLiteral("*.txt"));
    qint64 bytes = 0;
    for (const QString &path : texts)
        bytes += QFileInfo(path).size();
    const auto tried = configurations();
    std::vector<std::vector<double>> counting(tried.size());
    std::vector<std::vector<double>> whole(tried.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < tried.size(); ++i) {
            PhraseTable table(kLengths);
            const double count = secondsOf([&] { countTexts(texts, tried[i].second, table); });
            const double extract = secondsOf([&] {
                PhraseResults results = table.extractRepeatedPhrases();
                results.sortForDisplay();
            });
            counting[i].push_back(count);
            whole[i].push_back(count + extract);
        }
    }
    print(QStringLiteral("%1 texts, %2 MB, processor time, least of %3 rounds; reading and "
                         "counting the lines, then with finding and ordering the rows (whole)")
              .arg(texts.size())
              .arg(double(bytes) / 1e6, 0, 'f', 1)
              .arg(rounds));
    const double countingOff = least(counting.front());
    const double wholeOff = least(whole.front());
    for (size_t i = 0; i < tried.size(); ++i) {
        print(QStringLiteral("%1: %2 s (%3 x), whole %4 s (%5 x)")
                  .arg(tried[i].first, -24)
                  .arg(least(counting[i]), 0, 'f', 3)
                  .arg(least(counting[i]) / countingOff, 0, 'f', 2)
                  .arg(least(whole[i]), 0, 'f', 3)
                  .arg(least(whole[i]) / wholeOff, 0, 'f', 2));
    }
    return 0;
}

int usage()
{
    std::fprintf(stderr, "usage: bench_text_options proof DIR | effects DIR [SAMPLE] | "
                         "time DIR [ROUNDS]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3 || argc > 4)
        return usage();
    const QString command = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const int number = argc > 3 ? std::atoi(argv[3]) : 0;
    if (command == QLatin1String("proof") && argc == 3)
        return proof(folder);
    if (command == QLatin1String("effects"))
        return effects(folder, number > 0 ? number : 40);
    if (command == QLatin1String("time"))
        return timing(folder, number > 0 ? number : 7);
    return usage();
}
