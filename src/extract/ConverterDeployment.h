#pragma once

#include "base/PrivateTempFolder.h"

#include <QString>

#include <functional>

namespace orvanta {

enum class ConverterBuild { Bits32, Bits64 };

// "64" when the processor is a 64-bit one: its architecture name (QSysInfo) says so, or this
// program is itself a 64-bit build; otherwise "32".
QString processorAddressWidth();

// Exactly "64" picks the 64-bit build; anything else, the empty text included, the 32-bit one.
ConverterBuild chooseConverterBuild(const QString &width);

// Where the installed converter of that build is, or empty when there is none. On Linux both
// builds are the pdftotext found on PATH.
QString findInstalledConverter(ConverterBuild build);

using ConverterLookup = std::function<QString(ConverterBuild)>;

// The converter to run, or the message that says why there is none.
struct ConverterStatus {
    QString converterPath;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// Makes converterPath() hold a converter and returns that path; called at start-up. An
// existing file there is used as it is, whatever it holds; otherwise the installed converter
// is copied in with mode 0700, completely written before it appears under its name. Errors:
// the private folder's own message, that no converter is installed, or that the copy failed.
// Safe to call from several threads and instances at once.
ConverterStatus deployConverter(const ConverterLookup &findInstalled = findInstalledConverter);

// Called before each conversion: instances share the converter, and the first one to shut
// down removes it under the others. The same work as deployConverter, the folder check
// included, because the folder may have been removed and made again by someone else.
inline ConverterStatus
ensureConverterDeployed(const ConverterLookup &findInstalled = findInstalledConverter)
{
    return deployConverter(findInstalled);
}

// At shutdown.
void removeConverter();

} // namespace orvanta
