#include "phrases/WordTable.h"

#include "base/Utf8.h"

#include <QString>

#include <algorithm>

namespace orvanta::detail {

namespace {

bool isAscii(std::string_view word)
{
    return std::all_of(word.begin(), word.end(), [](char c) { return (c & 0x80) == 0; });
}

// In ASCII, Unicode lower-casing changes only A to Z; other words go through Qt.
void lowerCase(std::string_view rawWord, std::string &lower)
{
    if (isAscii(rawWord)) {
        lower.assign(rawWord);
        for (char &c : lower) {
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        }
        return;
    }
    const QByteArray bytes =
        decodeUtf8(QByteArrayView(rawWord.data(), qsizetype(rawWord.size()))).toLower().toUtf8();
    lower.assign(bytes.constData(), size_t(bytes.size()));
}

} // namespace

std::uint32_t WordTable::addLowerCase(std::string_view rawWord)
{
    lowerCase(rawWord, m_lowerWord);
    return m_lowerWords.intern(m_lowerWord);
}

} // namespace orvanta::detail
