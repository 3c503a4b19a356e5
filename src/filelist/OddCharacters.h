#pragma once

#include <QString>

namespace orvanta {

// The character's code in the Western Windows code page (Windows-1252), or 63 ("?") when that
// code page has none for it.
int windows1252Code(char32_t character);

// True when a folder name holds a character the folder walk refuses: one whose Windows-1252 code
// is below 32, from 127 to 159, or 63. That refuses control characters, "?", the euro sign, curly
// quotes, the en and em dashes and every character outside the code page. False for the empty
// name.
bool hasOddCharacters(const QString &name);

} // namespace orvanta
