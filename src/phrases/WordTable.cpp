#include "phrases/WordTable.h"

#include "base/LowerCase.h"

namespace orvanta::detail {

std::uint32_t WordTable::addLowerCase(std::string_view rawWord)
{
    lowerCase(QByteArrayView(rawWord.data(), qsizetype(rawWord.size())), m_lowerWord);
    return m_lowerWords.intern(m_lowerWord);
}

} // namespace orvanta::detail
