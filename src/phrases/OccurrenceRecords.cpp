#include "phrases/OccurrenceRecords.h"

#include "phrases/FlatTables.h"

namespace orvanta::detail {

std::uint32_t partitionOfWord(std::string_view lowerWord, std::uint32_t partitions)
{
    // The hash's top bits scaled to the partitions: fair for any count, not only powers of two.
    return std::uint32_t((unsigned __int128)hashOf(lowerWord) * partitions >> 64);
}

std::uint32_t shareOfWord(std::string_view lowerWord, std::uint32_t shares)
{
    return std::uint32_t(hashOf(lowerWord) % shares);
}

} // namespace orvanta::detail
