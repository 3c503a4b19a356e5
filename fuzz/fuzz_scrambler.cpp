// The stored sample snapshot: scrambling round trips for any path text, and unscrambling any
// stored value is safe.
#include "FuzzSupport.h"
#include "filelist/SampleFiles.h"

#include <algorithm>

using namespace orvanta;
using namespace orvanta::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = bytes(data, size);

    // Bytes 1 to 255 come back; a zero byte cannot occur in a path.
    if (!input.contains('\0')) {
        const QByteArray scrambled = scrambleBytes(input);
        check(scrambled.size() == input.size(), "scrambling keeps the length");
        check(!scrambled.contains('\0'), "scrambled bytes stay within 1 to 255");
        check(unscrambleBytes(scrambled) == input, "byte round trip");
    }

    const QString text = QString::fromUtf8(input).remove(QChar(0));
    const QString stored = scrambleText(text);
    check(std::all_of(stored.begin(), stored.end(), [](QChar c) { return c.unicode() < 128; }),
          "stored form is ASCII");
    check(unscrambleText(stored) == text, "text round trip", text);

    // Any stored value (a damaged settings file) gives some text and never fails.
    (void)unscrambleText(QString::fromUtf8(input));
    (void)unscrambleText(QString::fromLatin1(input));
    return 0;
}
