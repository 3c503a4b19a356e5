#include "documents/LetterWords.h"

#include "base/Utf8.h"
#include "documents/WordCleanup.h"

#include <QChar>

#include <array>

namespace orvanta {

namespace {

enum AsciiKind : unsigned char { Other, Letter, Digit };

constexpr std::array<AsciiKind, 128> kAsciiKinds = [] {
    std::array<AsciiKind, 128> kinds{};
    for (char c = 'a'; c <= 'z'; ++c)
        kinds[size_t(c)] = kinds[size_t(c - 'a' + 'A')] = Letter;
    for (char c = '0'; c <= '9'; ++c)
        kinds[size_t(c)] = Digit;
    return kinds;
}();

// True when a code point of the word passes `accepts`, deciding ASCII bytes by `asciiAccepts`.
template <typename AsciiTest, typename CodePointTest>
bool anyCodePoint(QByteArrayView word, AsciiTest asciiAccepts, CodePointTest accepts)
{
    qsizetype at = 0;
    while (at < word.size()) {
        const auto byte = static_cast<unsigned char>(word[at]);
        if (byte < 0x80) {
            if (asciiAccepts(kAsciiKinds[byte]))
                return true;
            ++at;
            continue;
        }
        qsizetype length = 0;
        if (accepts(firstCodePoint(word.sliced(at), length)))
            return true;
        at += length;
    }
    return false;
}

} // namespace

bool holdsLetterOrDigit(QByteArrayView word)
{
    return anyCodePoint(
        word, [](AsciiKind kind) { return kind != Other; },
        [](char32_t c) { return QChar::isLetterOrNumber(c); });
}

bool holdsLetter(QByteArrayView word)
{
    return anyCodePoint(
        word, [](AsciiKind kind) { return kind == Letter; },
        [](char32_t c) { return QChar::isLetter(c); });
}

void forEachRunOfLetterWords(const CountedLine &line, const CountedLineSink &sink)
{
    bool cut = false;
    size_t word = 0;
    size_t runFirstWord = 0;
    const char *runBegin = nullptr;
    const char *runEnd = nullptr;
    const auto handOverRun = [&] {
        if (runBegin == nullptr)
            return;
        const size_t words = word - runFirstWord;
        sink(CountedLine{QByteArrayView(runBegin, runEnd),
                         line.words.empty() ? line.words : line.words.subspan(runFirstWord, words),
                         line.whole.isNull() ? line.text : line.whole});
        runBegin = nullptr;
    };
    forEachWord(line.text, [&](QByteArrayView text) {
        if (holdsLetterOrDigit(text)) {
            if (runBegin == nullptr) {
                runBegin = text.data();
                runFirstWord = word;
            }
            runEnd = text.data() + text.size();
        } else {
            cut = true;
            handOverRun();
        }
        ++word;
    });
    if (!cut) {
        sink(line);
        return;
    }
    handOverRun();
}

double letterWordShare(QByteArrayView text)
{
    qsizetype words = 0;
    qsizetype letterWords = 0;
    forEachWord(text, [&](QByteArrayView word) {
        ++words;
        letterWords += holdsLetter(word) ? 1 : 0;
    });
    return words == 0 ? 0.0 : double(letterWords) / double(words);
}

} // namespace orvanta
