#pragma once

#include "phrases/FlatTables.h"

#include <QByteArrayView>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvanta::detail {

// Splits lines into words and gives each distinct word, lower-cased, a dense id (0, 1, 2, ... in
// order of first sight). A word is a run of bytes other than spaces, tabs and CRs. Each distinct
// raw word is lower-cased once, when first seen.
class WordTable {
public:
    // Calls onId with the id of each word of the line, in order; true when there was one.
    // The words are looked up in batches: each batch's slots are fetched from memory together.
    template <typename OnId> bool forEachWordId(QByteArrayView utf8Line, OnId onId)
    {
        const char *data = utf8Line.data();
        const qsizetype size = utf8Line.size();
        bool anyWord = false;
        std::size_t batched = 0;
        const auto lookUpBatch = [&] {
            for (std::size_t w = 0; w < batched; ++w)
                onId(idOf(m_batch[w].word, m_batch[w].key));
            batched = 0;
        };
        qsizetype i = 0;
        while (i < size) {
            while (i < size && isSeparator(data[i]))
                ++i;
            const qsizetype start = i;
            while (i < size && !isSeparator(data[i]))
                ++i;
            if (i > start) {
                const std::string_view word(data + start, size_t(i - start));
                m_batch[batched] = {word, WordMap::keyOf(word)};
                m_rawWords.prefetch(m_batch[batched].key);
                if (++batched == m_batch.size())
                    lookUpBatch();
                anyWord = true;
            }
        }
        lookUpBatch();
        return anyWord;
    }

    // The lower-case word of an id.
    std::string_view text(std::uint32_t id) const { return m_lowerWords.text(id); }
    // How many distinct lower-case words there are.
    std::size_t size() const { return m_lowerWords.size(); }
    const StringInterner &lowerWords() const { return m_lowerWords; }
    // Frees the table of raw words. It is only a shortcut to their lower-case ids: words read
    // after this are lower-cased again and get the ids they had.
    void forgetRawWords() { m_rawWords = {}; }
    std::uint64_t bytesHeld() const { return m_rawWords.bytesHeld() + m_lowerWords.bytesHeld(); }

private:
    static bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r'; }

    std::uint32_t idOf(std::string_view rawWord, const WordMap::Key &key)
    {
        return m_rawWords.findOrAdd(rawWord, key, [&] { return addLowerCase(rawWord); });
    }
    std::uint32_t addLowerCase(std::string_view rawWord);

    WordMap m_rawWords; // to lower-case ids
    StringInterner m_lowerWords;
    std::string m_lowerWord; // reused for each new raw word
    struct BatchedWord {
        std::string_view word;
        WordMap::Key key;
    };
    std::array<BatchedWord, 16> m_batch;
};

} // namespace orvanta::detail
