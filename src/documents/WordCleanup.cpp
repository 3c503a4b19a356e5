#include "documents/WordCleanup.h"

#include "base/LowerCase.h"
#include "base/Utf8.h"

#include <QChar>
#include <QString>

#include <cstdint>
#include <cstring>

namespace orvanta {

namespace {

constexpr QByteArrayView kHyphen = "-";
constexpr QByteArrayView kHyphenSign = "\u2010";
constexpr QByteArrayView kSoftHyphen = "\u00AD";

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

using detail::kAsciiPunctuation;

// The code point that ends `text` (valid UTF-8, not empty) and its length in bytes.
char32_t lastCodePoint(QByteArrayView text, qsizetype &length)
{
    length = 1;
    while (length < text.size() && isContinuationByte(text[text.size() - length]))
        ++length;
    return firstCodePoint(text.last(length), length);
}

} // namespace

void splitWords(QByteArrayView line, std::vector<QByteArrayView> &words)
{
    words.clear();
    forEachWord(line, [&words](QByteArrayView word) { words.push_back(word); });
}

QByteArrayView withoutOuterSeparators(QByteArrayView line)
{
    while (!line.isEmpty() && isWordSeparator(line.front()))
        line = line.sliced(1);
    while (!line.isEmpty() && isWordSeparator(line.back()))
        line.chop(1);
    return line;
}

QByteArrayView firstWordOf(QByteArrayView trimmedLine)
{
    qsizetype end = 0;
    while (end < trimmedLine.size() && !isWordSeparator(trimmedLine[end]))
        ++end;
    return trimmedLine.first(end);
}

QByteArrayView lastWordOf(QByteArrayView trimmedLine)
{
    qsizetype start = trimmedLine.size();
    while (start > 0 && !isWordSeparator(trimmedLine[start - 1]))
        --start;
    return trimmedLine.sliced(start);
}

QByteArrayView inCompatibilityForm(QByteArrayView utf8Line, QByteArray &storage)
{
    if (isAscii(utf8Line))
        return utf8Line;
    storage = decodeUtf8(utf8Line).normalized(QString::NormalizationForm_KC).toUtf8();
    return storage;
}

bool isOuterPunctuation(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
        return true;
    default:
        return c == U'`' || c == U'\u00B4';
    }
}

namespace {

bool startsWithPunctuation(QByteArrayView word, qsizetype &length)
{
    const auto first = static_cast<unsigned char>(word.front());
    if (first < 0x80) {
        length = 1;
        return kAsciiPunctuation[first];
    }
    return isOuterPunctuation(firstCodePoint(word, length));
}

bool endsWithPunctuation(QByteArrayView word, qsizetype &length)
{
    const auto last = static_cast<unsigned char>(word.back());
    if (last < 0x80) {
        length = 1;
        return kAsciiPunctuation[last];
    }
    return isOuterPunctuation(lastCodePoint(word, length));
}

} // namespace

QByteArrayView detail::withoutOuterPunctuationSlowly(QByteArrayView word)
{
    qsizetype length = 0;
    while (!word.isEmpty() && startsWithPunctuation(word, length))
        word = word.sliced(length);
    while (!word.isEmpty() && endsWithPunctuation(word, length))
        word.chop(length);
    return word;
}

qsizetype lineEndHyphenLength(QByteArrayView word)
{
    for (const QByteArrayView hyphen : {kHyphen, kHyphenSign, kSoftHyphen}) {
        if (!word.endsWith(hyphen) || word.size() == hyphen.size())
            continue;
        qsizetype length = 0;
        const char32_t before = lastCodePoint(word.chopped(hyphen.size()), length);
        return QChar::isLetter(before) ? hyphen.size() : 0;
    }
    return 0;
}

bool holdsHyphen(QByteArrayView word)
{
    return word.contains(kHyphen) || word.contains(kHyphenSign);
}

bool startsInLowerCase(QByteArrayView word)
{
    qsizetype length = 0;
    return !word.isEmpty() && QChar::isLower(firstCodePoint(word, length));
}

} // namespace orvanta
