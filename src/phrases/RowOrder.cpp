#include "phrases/RowOrder.h"

#include <tuple>

namespace orvanta {

bool reachesMinimums(const RowView &row, const RowSelection &selection)
{
    return row.frequency >= selection.minimumFrequency && row.files >= selection.minimumFiles;
}

namespace {

// The key of the order; the results' own order, frequency then phrase, breaks its ties.
int keyOf(const RowView &row, RowOrder order)
{
    switch (order) {
    case RowOrder::Words:
        return row.wordCount;
    case RowOrder::Files:
        return row.files;
    case RowOrder::Frequency:
        return row.frequency;
    case RowOrder::Phrase:
        break;
    }
    return 0;
}

bool ascending(const RowView &a, const RowView &b, RowOrder order)
{
    return std::tuple(keyOf(a, order), a.frequency, a.phrase) <
           std::tuple(keyOf(b, order), b.frequency, b.phrase);
}

} // namespace

bool comesBefore(const RowView &a, const RowView &b, const RowSelection &selection)
{
    if (selection.order == RowOrder::Phrase)
        return selection.reverse ? b.phrase < a.phrase : a.phrase < b.phrase;
    return selection.reverse ? ascending(b, a, selection.order) : ascending(a, b, selection.order);
}

} // namespace orvanta
