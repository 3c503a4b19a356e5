#pragma once

#include "extract/TextReader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace orvanta {

// A line as running heads are compared: case folded, runs of spaces as one, every run of digits
// and every lone roman numeral as "#" ("Chapter IV: Plots 45" is "chapter #: plots #").
QString maskedLine(QByteArrayView utf8Line);

// True for a masked line that is only a page number: "#", "- # -", "page #", "# of #".
bool isPageNumberOnly(const QString &masked);

// Finds the running heads and feet of one text. It is fed every line in text order; then it
// names the lines to leave out: lines among the first two or last two non-empty lines of their
// page that, masked, stand at the same edge on at least 3 pages and on at least a third of the
// pages of the parity of this page (books alternate title and chapter), and lone page numbers
// at an edge. A line that also stands in the body of a page anywhere in the text is kept.
class RunningHeadFinder {
public:
    void addLine(QByteArrayView utf8Line, LinePlace place);
    // The places of the lines to leave out, in text order. Call once, after the last line.
    std::vector<LinePlace> linesToLeaveOut();

private:
    enum class Edge { Top, Bottom };
    struct PageLine {
        QByteArray text;
        LinePlace place;
    };
    struct EdgeLine {
        LinePlace place;
        Edge edge;
        std::uint64_t mask; // a hash of the masked line
        std::uint64_t body; // a hash of the line as the body is compared
        bool pageNumberOnly;
    };

    void endPage();
    void addEdge(const PageLine &line, Edge edge);
    void addBodyLine(QByteArrayView line);
    QHash<std::uint64_t, int> pagesAtEdges() const;
    bool standsInBody(std::uint64_t body) const;

    int m_page = 0;
    std::vector<PageLine> m_top;  // the page's first two non-empty lines
    std::vector<PageLine> m_tail; // its last two non-empty lines after those
    std::vector<EdgeLine> m_edges;
    std::vector<std::uint64_t> m_bodyLines; // hashes; sorted and unique up to m_sortedBodyLines
    std::size_t m_sortedBodyLines = 0;
    std::array<int, 2> m_pagesWithText{}; // even, odd
};

} // namespace orvanta
