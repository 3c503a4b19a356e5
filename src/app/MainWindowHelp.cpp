// The main window's help and About messages.

#include "app/MainWindow.h"

#include "app/StoredNames.h"
#include "base/DialogService.h"
#include "base/ErrorReport.h"
#include "base/ProgramInfo.h"
#include "results/LibraryVersions.h"

namespace orvanta {

namespace {

QString tag(const char *operation)
{
    return locationTag(QLatin1String(stored_names::operations::kModule), QLatin1String(operation));
}

namespace operations = stored_names::operations;

constexpr auto kRecognitionHelp =
    "\r\rTick \"Read scanned pages with OCR\" and the program reads such text too, by text "
    "recognition (OCR), in the languages chosen beside it.";
constexpr auto kOptionsAndExplorerHelp =
    "\r\rThe Text Options below the lists change how lines, hyphens, running heads and "
    "punctuation are read; \"Explore Results\" opens the explorer, to filter the phrases and see "
    "each one in its files, passages and pages.";

} // namespace

void MainWindow::showHelp()
{
    TrappedOperation operation(tag(operations::kShowHelp), errorSink());
    operation.step([&] {
        m_dialogs.message(QStringLiteral("For your information: This software considers "
                                         "\"low-budget job\" to be a two word phrase."),
                          applicationTitle());
    });
    operation.step([&] {
        m_dialogs.message(
            QStringLiteral("This program will:\r\rextract text from a PDF. This text is usually "
                           "typed into the PDF using the keyboard.\r\rThis program will not:\r\r"
                           "extract text that is inside an image. Even though the image is "
                           "embedded within a PDF file, it is still an image and \"unreadable\".") +
                QLatin1String(kRecognitionHelp) + QLatin1String(kOptionsAndExplorerHelp),
            applicationTitle());
    });
}

void MainWindow::showAbout()
{
    TrappedOperation operation(tag(operations::kShowAbout), errorSink());
    operation.step([&] {
        m_dialogs.about(aboutText() + QStringLiteral("\n\nRunning with ") + librariesInUse() + '.',
                        QStringLiteral("About Orvanta"));
    });
}

void MainWindow::showLengthHelp()
{
    TrappedOperation operation(tag(operations::kShowLengthHelp), errorSink());
    operation.step([&] {
        m_dialogs.message(QStringLiteral("You can list additional numbers separated by comma or "
                                         "space such as: 20, 21, 22, 23"),
                          applicationTitle());
    });
}

} // namespace orvanta
