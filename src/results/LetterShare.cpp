#include "results/LetterShare.h"

#include "documents/LetterWords.h"

namespace orvanta {

PassagesByLetterShare passagesWithLetterShare(std::span<const std::uint32_t> ids,
                                              const PhraseResults &passages, double minimumShare)
{
    PassagesByLetterShare result;
    result.shown.reserve(ids.size());
    for (const std::uint32_t id : ids) {
        const std::string_view text = passages.phraseUtf8(qsizetype(id));
        if (letterWordShare(QByteArrayView(text.data(), qsizetype(text.size()))) >= minimumShare)
            result.shown.push_back(id);
        else
            ++result.hidden;
    }
    return result;
}

} // namespace orvanta
