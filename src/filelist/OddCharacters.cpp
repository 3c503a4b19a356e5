#include "filelist/OddCharacters.h"

#include <QList>

#include <array>

namespace orvanta {

namespace {

constexpr int kUnrepresentable = 63;

// Windows-1252 codes 128-159. The five codes the page leaves undefined stand for the C1 control
// of the same number, as Windows converts them.
constexpr std::array<char32_t, 32> kHighCodes = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool isRefused(int code)
{
    return code < 32 || (code >= 127 && code <= 159) || code == kUnrepresentable;
}

} // namespace

int windows1252Code(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return int(character);
    for (size_t i = 0; i < kHighCodes.size(); ++i) {
        if (kHighCodes[i] == character)
            return 0x80 + int(i);
    }
    return kUnrepresentable;
}

bool hasOddCharacters(const QString &name)
{
    for (const char32_t character : name.toUcs4()) {
        if (isRefused(windows1252Code(character)))
            return true;
    }
    return false;
}

} // namespace orvanta
