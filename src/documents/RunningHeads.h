#pragma once

#include "extract/TextReader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSet>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvanta {

// A line as running heads are compared: case folded, runs of spaces as one, every run of digits
// and every lone roman numeral as "#" ("Chapter IV: Plots 45" is "chapter #: plots #").
QByteArray maskedLine(QByteArrayView utf8Line);

// True for a masked line that is only a page number: "#", "- # -", "page #", "# of #".
bool isPageNumberOnly(QByteArrayView masked);

// Finds the running heads and feet of one text. It is fed every line in text order; then it
// names the lines to leave out, among the first two and last two non-empty lines of each page:
// - lines with words that, masked, stand at the same edge on at least 3 pages and on at least a
//   third of the pages of the parity of this page (books alternate title and chapter);
//   a repeated line that also stands, as it is, in the body of a page anywhere in the text is
//   kept;
// - lone page numbers whose numbers follow the pages (number minus page the same on at least 3
//   of them, or on every page of a shorter text), even when the number also stands in the body
//   (a table of contents).
class RunningHeadFinder {
public:
    void addLine(QByteArrayView utf8Line, LinePlace place);
    // The places of the lines to leave out, in text order. Call once, after the last line.
    std::vector<LinePlace> linesToLeaveOut();

private:
    static constexpr int kEdgeLines = 2; // non-empty lines at the top and at the bottom of a page
    enum class Edge { Top, Bottom };
    struct PageLine {
        std::string text;
        LinePlace place;
    };
    struct EdgeLine {
        LinePlace place;
        Edge edge;
        std::uint64_t mask; // a hash of the masked line
        std::uint64_t body; // a hash of the line as the body is compared
        bool wordy;         // the masked line holds a letter
        int pageNumber;     // the number a lone page number shows, or -1
    };

    static size_t slotOf(int index);
    void endPage();
    void addEdge(const PageLine &line, Edge edge);
    QHash<std::uint64_t, int> pagesAtEdges() const;
    QSet<int> pageNumberOffsets() const;
    QSet<std::uint64_t> alsoInBody(std::vector<std::uint64_t> candidates) const;

    int m_page = 0;
    // The page's first two non-empty lines and, taking turns, its last two after those.
    std::array<PageLine, 2 * kEdgeLines> m_pageLines;
    int m_pageLineCount = 0;
    std::vector<EdgeLine> m_edges;
    std::vector<std::uint64_t> m_bodyLines; // hashes of every line between the edges
    std::array<int, 2> m_pagesWithText{};   // even, odd
};

} // namespace orvanta
