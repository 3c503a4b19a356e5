// The folder-name test on any text, against the code page's own decoding of its codes.
#include "FuzzSupport.h"
#include "filelist/OddCharacters.h"

#include <QList>

#include <array>
#include <cstring>

using namespace orvanta;
using namespace orvanta::fuzz;

namespace {

// Windows-1252 decoded, code by code, with the five undefined codes as the C1 controls.
const std::array<char32_t, 256> &codePage()
{
    static const std::array<char32_t, 256> table = [] {
        static const char32_t high[32] = {U'€', 0x81, U'‚', U'ƒ', U'„', U'…', U'†', U'‡',
                                          U'ˆ', U'‰', U'Š', U'‹', U'Œ', 0x8D, U'Ž', 0x8F,
                                          0x90, U'‘', U'’', U'“', U'”', U'•', U'–', U'—',
                                          U'˜', U'™', U'š', U'›', U'œ', 0x9D, U'ž', U'Ÿ'};
        std::array<char32_t, 256> codes{};
        for (char32_t code = 0; code < 256; ++code)
            codes[code] = code >= 0x80 && code < 0xA0 ? high[code - 0x80] : code;
        return codes;
    }();
    return table;
}

int plainCode(char32_t character)
{
    for (int code = 0; code < 256; ++code) {
        if (codePage()[size_t(code)] == character)
            return code;
    }
    return '?';
}

bool plainRefused(char32_t character)
{
    const int code = plainCode(character);
    return code < 32 || (code >= 127 && code <= 159) || code == '?';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Odd sizes are read as UTF-16 after the first byte, so lone surrogates come in too.
    QString name;
    if (size % 2 == 0) {
        name = QString::fromUtf8(bytes(data, size));
    } else {
        name.resize(qsizetype(size / 2));
        std::memcpy(name.data(), data + 1, size - 1);
    }
    bool refused = false;
    for (char32_t character : name.toUcs4()) {
        check(windows1252Code(character) == plainCode(character), "code of a character",
              QString::number(uint(character), 16));
        refused = refused || plainRefused(character);
    }
    check(hasOddCharacters(name) == refused, "odd characters", name);
    return 0;
}
