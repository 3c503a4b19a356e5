// Starts the real window, adds PDFs through a scripted file dialog, counts them with the lengths
// given, and saves a picture of the window. Used by scripts/screenshot.sh under Xvfb.
//
//   window_screenshot OUTPUT.png LENGTHS PDF...

#include "ScriptedDialogService.h"
#include "app/MainWindow.h"
#include "app/StoredNames.h"
#include "base/SettingsStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 4) {
        std::fputs("usage: window_screenshot OUTPUT.png LENGTHS PDF...\n", stderr);
        return 2;
    }
    QElapsedTimer startUp;
    startUp.start();
    QTemporaryDir settingsDir;
    orvanta::SettingsStore settings(settingsDir.filePath(QStringLiteral("settings.ini")));
    orvanta::ScriptedDialogService dialogs;
    orvanta::MainWindow window(dialogs, settings, QApplication::applicationDirPath());
    window.startUp();
    window.show();
    QCoreApplication::processEvents();
    std::fprintf(stderr, "start-up to a shown window: %.3f s\n", startUp.elapsed() / 1000.0);

    window.findChild<QLineEdit *>(QLatin1String(orvanta::stored_names::objects::kExtraLengths))
        ->setText(arguments[2]);
    QSignalSpy checked(&window, &orvanta::MainWindow::admissionCheckFinished);
    dialogs.openResults.push_back(arguments.mid(3));
    window.findChild<QPushButton *>(QLatin1String(orvanta::stored_names::objects::kAddFilesButton))
        ->click();
    checked.wait(120000);

    QSignalSpy counted(&window, &orvanta::MainWindow::countingFinished);
    window.findChild<QPushButton *>(QLatin1String(orvanta::stored_names::objects::kCountButton))
        ->click();
    counted.wait(300000);
    QTest::qWait(300);

    const QPixmap picture = window.screen()->grabWindow(window.winId());
    if (!picture.save(arguments[1])) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(arguments[1]));
        return 1;
    }
    for (const QString &shown : dialogs.messages())
        std::fprintf(stderr, "notice: %s\n", qPrintable(shown));
    return 0;
}
