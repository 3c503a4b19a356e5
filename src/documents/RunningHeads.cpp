#include "documents/RunningHeads.h"

#include "base/LowerCase.h"
#include "base/Utf8.h"
#include "documents/WordCleanup.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <bitset>
#include <cctype>
#include <utility>

namespace orvanta {

namespace {

constexpr int kLeastPages = 3;  // a head stands on at least this many pages
constexpr int kParityShare = 3; // and on at least one in this many pages of its parity
constexpr char kNumber = '#';
constexpr int kAllPages = 2; // besides parity 0 (even pages) and 1 (odd pages)

int romanDigit(char letter)
{
    switch (letter) {
    case 'i':
        return 1;
    case 'v':
        return 5;
    case 'x':
        return 10;
    case 'l':
        return 50;
    case 'c':
        return 100;
    case 'd':
        return 500;
    case 'm':
        return 1000;
    default:
        return 0;
    }
}

// The value of lower-case roman-numeral letters, read with the subtractive rule.
int romanValue(QByteArrayView letters)
{
    int total = 0;
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const int here = romanDigit(letters[i]);
        const bool subtracted = i + 1 < letters.size() && romanDigit(letters[i + 1]) > here;
        total += subtracted ? -here : here;
    }
    return total;
}

QByteArray romanNumeral(int value)
{
    static const std::pair<int, const char *> kParts[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QByteArray numeral;
    for (const auto &[part, letters] : kParts) {
        for (; value >= part; value -= part)
            numeral += letters;
    }
    return numeral;
}

// A lower-case roman numeral as a page number would be written: "xiv", not "did" or "iiii".
bool isRomanNumeral(QByteArrayView folded)
{
    constexpr int kLargest = 3999;
    if (folded.isEmpty() || !std::all_of(folded.begin(), folded.end(), romanDigit))
        return false;
    const int value = romanValue(folded);
    return value > 0 && value <= kLargest && romanNumeral(value) == folded;
}

QByteArray caseFolded(QByteArrayView utf8)
{
    return isAscii(utf8) ? utf8.toByteArray().toLower() : decodeUtf8(utf8).toCaseFolded().toUtf8();
}

// Appends the word case folded with each run of digits as "#", or with "#" for the roman
// numeral between its outer punctuation.
void appendMaskedWord(QByteArrayView word, QByteArray &masked)
{
    const QByteArrayView core = withoutOuterPunctuation(word);
    if (!core.isEmpty() && isRomanNumeral(caseFolded(core))) {
        masked += word.first(core.data() - word.data());
        masked += kNumber;
        masked += word.sliced(core.data() + core.size() - word.data());
        return;
    }
    bool inDigits = false;
    for (const char c : caseFolded(word)) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit)
            masked += c;
        else if (!inDigits)
            masked += kNumber;
        inDigits = digit;
    }
}

bool holdsLetter(QByteArrayView utf8)
{
    if (isAscii(utf8))
        return std::any_of(utf8.begin(), utf8.end(),
                           [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
    const QString text = decodeUtf8(utf8);
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

// The number a page-number line shows: its first run of digits, or its roman numeral.
int shownNumber(QByteArrayView line)
{
    static const QRegularExpression number(
        QStringLiteral("(?<digits>[0-9]+)|(?<![a-z])(?<roman>[mdclxvi]+)(?![a-z])"));
    const QRegularExpressionMatch found = number.match(decodeUtf8(caseFolded(line)));
    if (const QString digits = found.captured(u"digits"); !digits.isEmpty())
        return digits.size() < 9 ? digits.toInt() : -1;
    const QByteArray roman = found.captured(u"roman").toLatin1();
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

QByteArray maskedLine(QByteArrayView utf8Line)
{
    std::vector<QByteArrayView> words;
    splitWords(utf8Line, words);
    QByteArray masked;
    for (const QByteArrayView word : words) {
        if (!masked.isEmpty())
            masked += ' ';
        appendMaskedWord(word, masked);
    }
    return masked;
}

bool isPageNumberOnly(QByteArrayView masked)
{
    constexpr qsizetype kLongest = 32; // "page # of #" with some dashes and spaces, in bytes
    if (masked.size() > kLongest || !masked.contains(kNumber))
        return false;
    static const QRegularExpression pageNumber(
        QStringLiteral("^(page)?[-\u2010\u2013\u2014\u2212()\\[\\]| "
                       "]*#(/#|of#)?[-\u2010\u2013\u2014\u2212()\\[\\]| ]*$"));
    QString squeezed = decodeUtf8(masked);
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
    const QByteArray masked = maskedLine(line.text);
    const bool wordy = holdsLetter(masked);
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
    // Page numbers that follow the pages go even when the same number stands in the body (in
    // a table of contents, say); a repeated line with words stays when it also stands there.
    std::vector<LinePlace> leaveOut;
    std::vector<const EdgeLine *> repeated;
    std::vector<std::uint64_t> repeatedBodies;
    for (const EdgeLine &line : m_edges) {
        if (isPageNumber(line)) {
            leaveOut.push_back(line.place);
        } else if (repeats(line)) {
            repeated.push_back(&line);
            repeatedBodies.push_back(line.body);
        }
    }
    const QSet<std::uint64_t> inBody = alsoInBody(std::move(repeatedBodies));
    for (const EdgeLine *line : repeated) {
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
