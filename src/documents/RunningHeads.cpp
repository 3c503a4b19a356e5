#include "documents/RunningHeads.h"

#include "base/Utf8.h"
#include "documents/WordCleanup.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <bitset>
#include <utility>

namespace orvanta {

namespace {

constexpr int kLeastPages = 3;  // a head stands on at least this many pages
constexpr int kParityShare = 3; // and on at least one in this many pages of its parity
constexpr auto kNumber = u'#';
constexpr int kAllPages = 2; // besides parity 0 (even pages) and 1 (odd pages)

bool isRomanNumeral(QStringView word)
{
    const auto romanLetter = [](QChar c) { return QStringView(u"ivxlcdm").contains(c); };
    if (word.isEmpty() || !std::all_of(word.begin(), word.end(), romanLetter))
        return false;
    static const QRegularExpression roman(
        QStringLiteral("^(?=[mdclxvi])m{0,4}(cm|cd|d?c{0,3})(xc|xl|l?x{0,3})(ix|iv|v?i{0,3})$"));
    return roman.match(word).hasMatch();
}

// Digit runs as one "#" each, and a roman numeral between the word's outer punctuation as "#".
QString maskedWord(const QString &word)
{
    qsizetype start = 0;
    qsizetype end = word.size();
    while (start < end && word[start].isPunct())
        ++start;
    while (end > start && word[end - 1].isPunct())
        --end;
    if (isRomanNumeral(QStringView(word).sliced(start, end - start)))
        return word.first(start) + kNumber + word.sliced(end);
    QString masked;
    for (const QChar c : word) {
        if (!c.isDigit())
            masked += c;
        else if (!masked.endsWith(kNumber))
            masked += kNumber;
    }
    return masked;
}

int romanValue(QStringView numeral)
{
    const auto value = [](QChar c) {
        const int at = int(QStringView(u"ivxlcdm").indexOf(c));
        constexpr int kValues[] = {1, 5, 10, 50, 100, 500, 1000};
        return kValues[at];
    };
    int total = 0;
    for (qsizetype i = 0; i < numeral.size(); ++i) {
        const int here = value(numeral[i]);
        const bool subtracted = i + 1 < numeral.size() && value(numeral[i + 1]) > here;
        total += subtracted ? -here : here;
    }
    return total;
}

// The number a page-number line shows: its first run of digits, or its roman numeral.
int shownNumber(QByteArrayView line)
{
    static const QRegularExpression number(
        QStringLiteral("(?<digits>[0-9]+)|(?<![a-z])(?<roman>[mdclxvi]+)(?![a-z])"));
    const QRegularExpressionMatch found = number.match(decodeUtf8(line).toCaseFolded());
    if (const QString digits = found.captured(u"digits"); !digits.isEmpty())
        return digits.size() < 9 ? digits.toInt() : -1;
    const QString roman = found.captured(u"roman");
    return isRomanNumeral(roman) ? romanValue(roman) : -1;
}

bool isBlank(QByteArrayView line)
{
    return std::all_of(line.begin(), line.end(), isWordSeparator);
}

// Body lines are compared as they are: a line counts as standing in the body only when it
// stands there in the same letters and spaces.
std::uint64_t bodyHash(QByteArrayView line)
{
    return qHash(line);
}

int parityOf(LinePlace place)
{
    return place.page % 2;
}

// A key for a masked line at one edge of pages of one parity.
std::uint64_t edgeKey(std::uint64_t mask, int edge, int parity)
{
    return mask ^ (std::uint64_t(edge * 2 + parity + 1) * 0x9E3779B97F4A7C15ull);
}

} // namespace

QString maskedLine(QByteArrayView utf8Line)
{
    std::vector<QByteArrayView> words;
    splitWords(utf8Line, words);
    QStringList masked;
    for (const QByteArrayView word : words)
        masked << maskedWord(decodeUtf8(word).toCaseFolded());
    return masked.join(u' ');
}

bool isPageNumberOnly(const QString &masked)
{
    static const QRegularExpression pageNumber(
        QStringLiteral("^(page)?[-\u2010\u2013\u2014\u2212()\\[\\]| "
                       "]*#(/#|of#)?[-\u2010\u2013\u2014\u2212()\\[\\]| ]*$"));
    constexpr qsizetype kLongest = 24; // "page # of #" with some dashes and spaces
    if (masked.size() > kLongest || !masked.contains(kNumber))
        return false;
    QString squeezed = masked;
    squeezed.remove(u' ');
    return pageNumber.match(squeezed).hasMatch();
}

void RunningHeadFinder::addLine(QByteArrayView utf8Line, LinePlace place)
{
    if (place.page != m_page) {
        endPage();
        m_page = place.page;
    }
    if (isBlank(utf8Line))
        return;
    const int index = m_pageLineCount++;
    PageLine &slot = m_pageLines[slotOf(index)];
    // The line that held this slot is now two lines from the bottom: the body.
    if (index >= 2 * kEdgeLines)
        m_bodyLines.push_back(bodyHash(slot.text));
    slot.text.assign(utf8Line.data(), size_t(utf8Line.size()));
    slot.place = place;
}

// The first kEdgeLines lines of a page keep their slots; the lines after them take turns in the
// next kEdgeLines slots.
size_t RunningHeadFinder::slotOf(int index)
{
    return size_t(index < kEdgeLines ? index : kEdgeLines + (index - kEdgeLines) % kEdgeLines);
}

void RunningHeadFinder::addEdge(const PageLine &line, Edge edge)
{
    const QString masked = maskedLine(line.text);
    const bool wordy =
        std::any_of(masked.begin(), masked.end(), [](QChar c) { return c.isLetter(); });
    const int pageNumber = isPageNumberOnly(masked) ? shownNumber(line.text) : -1;
    m_edges.push_back({line.place, edge, qHash(masked), bodyHash(line.text), wordy, pageNumber});
}

void RunningHeadFinder::endPage()
{
    const int lines = std::exchange(m_pageLineCount, 0);
    if (lines == 0)
        return;
    ++m_pagesWithText[size_t(parityOf(m_pageLines[0].place))];
    for (int i = 0; i < std::min(lines, kEdgeLines); ++i)
        addEdge(m_pageLines[slotOf(i)], Edge::Top);
    for (int i = std::max(0, lines - kEdgeLines); i < lines; ++i)
        addEdge(m_pageLines[slotOf(i)], Edge::Bottom);
}

// Pages per masked line and edge: on pages of each parity, and on all pages (parity 2).
QHash<std::uint64_t, int> RunningHeadFinder::pagesAtEdges() const
{
    QHash<std::uint64_t, int> pages;
    for (size_t i = 0; i < m_edges.size(); ++i) {
        const EdgeLine &line = m_edges[i];
        bool seen = false; // on this page at this edge already
        for (size_t j = i; j-- > 0 && m_edges[j].place.page == line.place.page;)
            seen = seen || (m_edges[j].edge == line.edge && m_edges[j].mask == line.mask);
        if (seen)
            continue;
        ++pages[edgeKey(line.mask, int(line.edge), parityOf(line.place))];
        ++pages[edgeKey(line.mask, int(line.edge), kAllPages)];
    }
    return pages;
}

// Of the lines about to be left out, those that also stand in the body, by their hashes. The
// body has many lines and the candidates few: only the candidates are sorted.
QSet<std::uint64_t> RunningHeadFinder::alsoInBody(std::vector<std::uint64_t> candidates) const
{
    std::sort(candidates.begin(), candidates.end());
    // Most body lines are turned away by one bit of their hash.
    std::bitset<4096> maybe;
    for (const std::uint64_t candidate : candidates)
        maybe.set(candidate % maybe.size());
    QSet<std::uint64_t> found;
    for (const std::uint64_t body : m_bodyLines) {
        if (maybe.test(body % maybe.size()) &&
            std::binary_search(candidates.begin(), candidates.end(), body))
            found.insert(body);
    }
    return found;
}

// Page numbers follow the pages: the number shown minus the page's index in the text is the same
// on at least kLeastPages lone numbers at an edge (on every page of a shorter text). Section
// numbers and code line numbers that stand alone at the top of a page do not.
QSet<int> RunningHeadFinder::pageNumberOffsets() const
{
    QHash<int, int> lines; // offset -> lone numbers
    QSet<std::pair<int, int>> counted;
    for (const EdgeLine &line : m_edges) {
        if (line.pageNumber >= 0 && !counted.contains({line.place.page, line.place.line})) {
            counted.insert({line.place.page, line.place.line});
            ++lines[line.pageNumber - line.place.page];
        }
    }
    const int needed = std::min(kLeastPages, m_pagesWithText[0] + m_pagesWithText[1]);
    QSet<int> offsets;
    for (auto it = lines.begin(); it != lines.end(); ++it) {
        if (it.value() >= needed)
            offsets.insert(it.key());
    }
    return offsets;
}

std::vector<LinePlace> RunningHeadFinder::linesToLeaveOut()
{
    endPage();
    const QHash<std::uint64_t, int> pages = pagesAtEdges();
    // Only lines with words repeat as heads: numbers alone are page numbers or body. A head of
    // even pages that also stands at the top of an odd page (a book's title on its title page)
    // is kept there.
    const auto repeats = [&](const EdgeLine &line) {
        const int parity = parityOf(line.place);
        const int onParity = pages.value(edgeKey(line.mask, int(line.edge), parity));
        return line.wordy &&
               pages.value(edgeKey(line.mask, int(line.edge), kAllPages)) >= kLeastPages &&
               kParityShare * onParity >= m_pagesWithText[size_t(parity)];
    };
    const QSet<int> offsets = pageNumberOffsets();
    const auto isPageNumber = [&](const EdgeLine &line) {
        return line.pageNumber >= 0 && offsets.contains(line.pageNumber - line.place.page);
    };
    std::vector<const EdgeLine *> candidates;
    std::vector<std::uint64_t> candidateBodies;
    for (const EdgeLine &line : m_edges) {
        if (isPageNumber(line) || repeats(line)) {
            candidates.push_back(&line);
            candidateBodies.push_back(line.body);
        }
    }
    const QSet<std::uint64_t> inBody = alsoInBody(std::move(candidateBodies));
    std::vector<LinePlace> leaveOut;
    for (const EdgeLine *line : candidates) {
        if (!inBody.contains(line->body))
            leaveOut.push_back(line->place);
    }
    const auto order = [](LinePlace a, LinePlace b) {
        return std::pair(a.page, a.line) < std::pair(b.page, b.line);
    };
    std::sort(leaveOut.begin(), leaveOut.end(), order);
    leaveOut.erase(std::unique(leaveOut.begin(), leaveOut.end()), leaveOut.end());
    return leaveOut;
}

} // namespace orvanta
