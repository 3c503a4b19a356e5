#include "documents/RunningHeads.h"

#include "base/Utf8.h"
#include "documents/WordCleanup.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace orvanta {

namespace {

constexpr int kEdgeLines = 2;   // non-empty lines at the top and at the bottom of a page
constexpr int kLeastPages = 3;  // a head stands on at least this many pages
constexpr int kParityShare = 3; // and on at least one in this many pages of its parity
constexpr auto kNumber = u'#';
constexpr int kAllPages = 2; // besides parity 0 (even pages) and 1 (odd pages)

bool isRomanNumeral(const QString &word)
{
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
    if (isRomanNumeral(word.sliced(start, end - start)))
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

bool isBlank(QByteArrayView line)
{
    return std::all_of(line.begin(), line.end(), isWordSeparator);
}

// FNV-1a over the line with runs of separators as one space and ASCII letters in lower case:
// cheap enough for every line of the body.
std::uint64_t bodyHash(QByteArrayView line)
{
    std::uint64_t hash = 14695981039346656037ull;
    const auto add = [&hash](char c) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    };
    bool pendingSpace = false;
    for (const char c : line) {
        if (isWordSeparator(c)) {
            pendingSpace = true;
            continue;
        }
        if (std::exchange(pendingSpace, false))
            add(' ');
        add(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
    }
    return hash;
}

std::uint64_t textHash(const QString &text)
{
    return bodyHash(text.toUtf8());
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
    const QString folded = decodeUtf8(utf8Line).toCaseFolded();
    static const QRegularExpression separators(QStringLiteral("[ \t\r]+"));
    QStringList words = folded.split(separators, Qt::SkipEmptyParts);
    for (QString &word : words)
        word = maskedWord(word);
    return words.join(u' ');
}

bool isPageNumberOnly(const QString &masked)
{
    static const QRegularExpression pageNumber(
        QStringLiteral("^(page)?[-\u2010\u2013\u2014\u2212()\\[\\]| "
                       "]*#(/#|of#)?[-\u2010\u2013\u2014\u2212()\\[\\]| ]*$"));
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
    const PageLine line{utf8Line.toByteArray(), place};
    if (m_top.size() < kEdgeLines) {
        m_top.push_back(line);
        return;
    }
    m_tail.push_back(line);
    if (m_tail.size() > kEdgeLines) {
        addBodyLine(m_tail.front().text);
        m_tail.erase(m_tail.begin());
    }
}

void RunningHeadFinder::addBodyLine(QByteArrayView line)
{
    m_bodyLines.push_back(bodyHash(line));
    // Sorting and dropping repeats now and then keeps the memory near one hash per distinct
    // line of the body.
    if (m_bodyLines.size() > 2 * m_sortedBodyLines + 4096) {
        std::sort(m_bodyLines.begin(), m_bodyLines.end());
        m_bodyLines.erase(std::unique(m_bodyLines.begin(), m_bodyLines.end()), m_bodyLines.end());
        m_sortedBodyLines = m_bodyLines.size();
    }
}

void RunningHeadFinder::addEdge(const PageLine &line, Edge edge)
{
    const QString masked = maskedLine(line.text);
    m_edges.push_back(
        {line.place, edge, textHash(masked), bodyHash(line.text), isPageNumberOnly(masked)});
}

void RunningHeadFinder::endPage()
{
    std::vector<PageLine> lines = std::move(m_top);
    lines.insert(lines.end(), m_tail.begin(), m_tail.end());
    m_top.clear();
    m_tail.clear();
    if (lines.empty())
        return;
    ++m_pagesWithText[size_t(parityOf(lines.front().place))];
    const size_t edgeLines = std::min(lines.size(), size_t(kEdgeLines));
    for (size_t i = 0; i < edgeLines; ++i)
        addEdge(lines[i], Edge::Top);
    for (size_t i = lines.size() - edgeLines; i < lines.size(); ++i)
        addEdge(lines[i], Edge::Bottom);
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

bool RunningHeadFinder::standsInBody(std::uint64_t body) const
{
    return std::binary_search(m_bodyLines.begin(), m_bodyLines.end(), body);
}

std::vector<LinePlace> RunningHeadFinder::linesToLeaveOut()
{
    endPage();
    std::sort(m_bodyLines.begin(), m_bodyLines.end());
    const QHash<std::uint64_t, int> pages = pagesAtEdges();
    // A head of even pages that also stands at the top of an odd page (a book's title on its
    // title page) is kept there.
    const auto repeats = [&](const EdgeLine &line) {
        const int parity = parityOf(line.place);
        const int onParity = pages.value(edgeKey(line.mask, int(line.edge), parity));
        return pages.value(edgeKey(line.mask, int(line.edge), kAllPages)) >= kLeastPages &&
               kParityShare * onParity >= m_pagesWithText[size_t(parity)];
    };
    std::vector<LinePlace> leaveOut;
    for (const EdgeLine &line : m_edges) {
        if ((line.pageNumberOnly || repeats(line)) && !standsInBody(line.body))
            leaveOut.push_back(line.place);
    }
    const auto order = [](LinePlace a, LinePlace b) {
        return std::pair(a.page, a.line) < std::pair(b.page, b.line);
    };
    std::sort(leaveOut.begin(), leaveOut.end(), order);
    leaveOut.erase(std::unique(leaveOut.begin(), leaveOut.end()), leaveOut.end());
    return leaveOut;
}

} // namespace orvanta
