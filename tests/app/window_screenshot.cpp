// Starts the real window, adds PDFs through a scripted file dialog, counts them with the lengths
// given, and saves a picture of the window, then one of each of the explorer's views beside it
// (explorer-phrases.png with an occurrence's page, explorer-passages.png). Used by
// scripts/screenshot.sh under Xvfb.
//
//   window_screenshot OUTPUT.png LENGTHS PDF...

#include "ScriptedDialogService.h"
#include "app/ExplorerWindow.h"
#include "app/MainWindow.h"
#include "app/OccurrencePanel.h"
#include "app/PageView.h"
#include "app/PassagesView.h"
#include "app/StoredNames.h"
#include "base/SettingsStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

namespace {

bool saved(const QPixmap &picture, const QString &path)
{
    if (picture.save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

// The explorer on the first row, with its first occurrence's page drawn, then its passages.
bool pictureExplorer(orvanta::MainWindow &window, const QString &folder)
{
    window.openExplorer(0);
    orvanta::ExplorerWindow *explorer = window.explorer();
    explorer->resize(1180, 720);
    QSignalSpy found(&explorer->occurrences(), &orvanta::OccurrencePanel::searchFinished);
    found.wait(30000);
    auto *occurrences = explorer->findChild<QTreeView *>(QStringLiteral("OccurrenceList"));
    QSignalSpy drawn(&explorer->pageView(), &orvanta::PageView::pageShown);
    occurrences->setCurrentIndex(occurrences->model()->index(0, 0));
    drawn.wait(30000);
    QTest::qWait(200);
    if (!saved(explorer->grab(), folder + QStringLiteral("explorer-phrases.png")))
        return false;
    QSignalSpy passages(&explorer->passages(), &orvanta::PassagesView::searchFinished);
    explorer->findChild<QTabWidget *>()->setCurrentIndex(1);
    passages.wait(60000);
    // The test PDFs are short: passages of five words show what the tab does.
    auto *least = explorer->findChild<QSpinBox *>(QStringLiteral("PassagesMinimumWords"));
    if (least->value() > 5) {
        QSignalSpy again(&explorer->passages(), &orvanta::PassagesView::searchFinished);
        least->setValue(5);
        again.wait(60000);
    }
    QTest::qWait(200);
    return saved(explorer->grab(), folder + QStringLiteral("explorer-passages.png"));
}

} // namespace

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

    if (!saved(window.grab(), arguments[1]))
        return 1;
    const QString folder = QFileInfo(arguments[1]).path() + QLatin1Char('/');
    if (!pictureExplorer(window, folder))
        return 1;
    for (const QString &shown : dialogs.messages())
        std::fprintf(stderr, "notice: %s\n", qPrintable(shown));
    return 0;
}
