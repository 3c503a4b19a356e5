#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <string_view>
#include <vector>

namespace orvanta {

// The engine's word separators: space, tab and CR.
inline bool isWordSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// Calls `word` with each word of a line as the engine splits them.
template <typename WordFunction> void forEachWord(QByteArrayView line, WordFunction &&word)
{
    const char *at = line.data();
    const char *const end = at + line.size();
    while (at < end) {
        while (at < end && isWordSeparator(*at))
            ++at;
        const char *const start = at;
        while (at < end && !isWordSeparator(*at))
            ++at;
        if (at > start)
            word(QByteArrayView(start, at - start));
    }
}

// The words of a line as the engine splits them, into `words` (cleared first).
void splitWords(QByteArrayView line, std::vector<QByteArrayView> &words);

// The line without the separators at its start and end.
QByteArrayView withoutOuterSeparators(QByteArrayView line);

// The first and the last word of a line that has no separators at its start and end.
QByteArrayView firstWordOf(QByteArrayView trimmedLine);
QByteArrayView lastWordOf(QByteArrayView trimmedLine);

// The line in Unicode compatibility form (NFKC): ligatures spelled out, full-width forms
// narrowed, non-breaking and other fixed-width spaces made spaces. An ASCII line is its own
// form; any other is made in `storage`.
QByteArrayView inCompatibilityForm(QByteArrayView utf8Line, QByteArray &storage);

// Punctuation that a word may carry at its start or end: Unicode's punctuation categories,
// and the grave and acute accents that stand in for quotes in typewriter-style text.
bool isOuterPunctuation(char32_t c);

namespace detail {
// ASCII punctuation by Unicode category (P*), and the grave accent.
inline constexpr std::array<bool, 128> kAsciiPunctuation = [] {
    std::array<bool, 128> table{};
    for (const char c : std::string_view("!\"#%&'()*,-./:;?@[\\]_{}`"))
        table[size_t(c)] = true;
    return table;
}();

inline bool isPlainAsciiEnd(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x80 && !kAsciiPunctuation[byte];
}

QByteArrayView withoutOuterPunctuationSlowly(QByteArrayView word);
} // namespace detail

// The word without the punctuation at its start and end; empty when it is only punctuation.
// Most words start and end with an ASCII letter or digit, and are answered here.
inline QByteArrayView withoutOuterPunctuation(QByteArrayView word)
{
    if (!word.isEmpty() && detail::isPlainAsciiEnd(word.front()) &&
        detail::isPlainAsciiEnd(word.back()))
        return word;
    return detail::withoutOuterPunctuationSlowly(word);
}

// The length in bytes of the hyphen that ends `word` when the word looks split at a line end
// ("exam-"): a hyphen, hyphen sign or soft hyphen right after a letter. 0 otherwise.
qsizetype lineEndHyphenLength(QByteArrayView word);

// True when the word holds a hyphen or hyphen sign; inside it when the word has no outer
// punctuation ("well-known").
bool holdsHyphen(QByteArrayView word);

// True when the word starts with a lower-case letter.
bool startsInLowerCase(QByteArrayView word);

} // namespace orvanta
