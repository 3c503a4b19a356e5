#pragma once

#include <QString>

namespace orvanta {

// The libraries this program runs with, as loaded: "Qt 6.4.2, poppler 22.12.0, libxlsxwriter
// 1.1.4". The page drawing and pdftotext share the poppler of the system.
QString librariesInUse();

} // namespace orvanta
