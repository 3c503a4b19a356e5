// Repeated passages against the plain search over every stretch, on short texts of few words.
#include "FuzzSupport.h"
#include "phrases/PhraseLevels.h"
#include "phrases/ReferencePassages.h"
#include "phrases/RepeatedPassages.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <limits>
#include <map>
#include <sstream>
#include <string>

using namespace orvanta;
using namespace orvanta::fuzz;

namespace {

constexpr std::size_t kMaximumWords = 300; // the plain search is cubic in the line length

// One byte a word: the byte modulo (alphabet + 1), the largest value a line break. Ids are
// renumbered in order of first sight, as the counting engine does.
std::vector<std::uint32_t> wordIds(const std::string &bytes, std::uint32_t alphabet)
{
    std::map<std::uint32_t, std::uint32_t> dense;
    std::vector<std::uint32_t> ids;
    for (unsigned char byte : bytes.substr(0, kMaximumWords)) {
        const std::uint32_t symbol = byte % (alphabet + 1);
        ids.push_back(symbol == alphabet
                          ? detail::kLineBreak
                          : dense.try_emplace(symbol, std::uint32_t(dense.size())).first->second);
    }
    return ids;
}

QString describe(const std::vector<Passage> &passages)
{
    std::ostringstream text;
    for (const Passage &passage : passages) {
        text << '[';
        PrintTo(passage, &text);
        text << "] ";
    }
    return QString::fromStdString(text.str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto minimumWords = input.ConsumeIntegralInRange<std::uint32_t>(0, 6);
    const auto alphabet = input.ConsumeIntegralInRange<std::uint32_t>(1, 6);
    const std::vector<std::uint32_t> ids = wordIds(input.ConsumeRemainingBytesAsString(), alphabet);

    const PassageBounds everything{kMaximumWords, std::numeric_limits<std::uint64_t>::max()};
    const std::vector<Passage> found =
        passagesOf(findRepeatedPassages(ids, minimumWords, {}, everything));
    const std::vector<Passage> expected = referencePassages(ids, minimumWords);
    if (found != expected)
        fail("passages differ from the plain search", describe(found) + "!= " + describe(expected));

    // With the usual bounds, each passage lists its first occurrences only.
    constexpr std::size_t kListed = 4;
    std::vector<Passage> listed = expected;
    for (Passage &passage : listed)
        passage.starts.resize(std::min(passage.starts.size(), kListed));
    const std::vector<Passage> bounded =
        passagesOf(findRepeatedPassages(ids, minimumWords, {}, {kListed, PassageBounds{}.words}));
    if (bounded != listed)
        fail("bounded passages differ", describe(bounded) + "!= " + describe(listed));
    return 0;
}
