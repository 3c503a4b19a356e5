#include "app/PairText.h"

#include <algorithm>

namespace orvanta {

namespace {

bool isPlaced(const SharedStretch &stretch, qsizetype lineCount)
{
    return stretch.textLine >= 0 && stretch.textLine < lineCount;
}

} // namespace

std::vector<TextSpan> spansWithin(const std::vector<TextSpan> &spans, int begin, int end)
{
    std::vector<TextSpan> within;
    // The first span that ends after `begin`.
    auto span = std::partition_point(spans.begin(), spans.end(), [begin](const TextSpan &s) {
        return s.start + s.length <= begin;
    });
    for (; span != spans.end() && span->start < end; ++span) {
        const int from = std::max(span->start, begin);
        const int to = std::min(span->start + span->length, end);
        if (to > from)
            within.push_back({from - begin, to - from});
    }
    return within;
}

PairSideText::PairSideText(const PairSide &side)
    : m_stretches(side.stretches)
{
    std::vector<int> lineStarts;
    lineStarts.reserve(std::size_t(side.lines.size()));
    qsizetype length = 0;
    for (const QString &line : side.lines) {
        lineStarts.push_back(int(length));
        length += line.size() + 1;
    }
    m_text = side.lines.join(QLatin1Char('\n'));
    for (const SharedStretch &stretch : m_stretches) {
        if (isPlaced(stretch, side.lines.size())) {
            m_spans.push_back({lineStarts[std::size_t(stretch.textLine)] + int(stretch.begin),
                               int(stretch.end - stretch.begin)});
            continue;
        }
        // Not read again: the stretch's words stand in a paragraph of their own at the end.
        if (!m_text.isEmpty())
            m_text += QStringLiteral("\n\n");
        m_spans.push_back({int(m_text.size()), int(stretch.text.size())});
        m_text += stretch.text;
    }
}

QString PairSideText::placeText(int index) const
{
    if (m_stretches.empty())
        return QStringLiteral("No shared stretch");
    if (index < 0 || index >= stretchCount())
        return QStringLiteral("%1 shared stretches").arg(stretchCount());
    const SharedStretch &shared = stretch(index);
    QString text = QStringLiteral("Stretch %1 of %2, %3 words: page %4, line %5")
                       .arg(index + 1)
                       .arg(stretchCount())
                       .arg(shared.words)
                       .arg(shared.first.page)
                       .arg(shared.first.line);
    if (shared.last.page != shared.first.page)
        text += QStringLiteral(" to page %1, line %2").arg(shared.last.page).arg(shared.last.line);
    else if (shared.last.line != shared.first.line)
        text += QStringLiteral(" to line %1").arg(shared.last.line);
    return text;
}

int StretchCursor::next()
{
    if (m_count > 0)
        m_current = (m_current + 1) % m_count;
    return m_current;
}

int StretchCursor::previous()
{
    if (m_count > 0)
        m_current = m_current <= 0 ? m_count - 1 : m_current - 1;
    return m_current;
}

} // namespace orvanta
