#include "app/MainWindow.h"
#include "app/WidgetDialogService.h"
#include "base/DataFolder.h"
#include "base/SettingsStore.h"

#include <QApplication>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void forwardSignal(int signal)
{
    const unsigned char number = static_cast<unsigned char>(signal);
    (void)!::write(g_signalPipe[1], &number, 1);
}

// Ctrl-C, SIGTERM and SIGHUP close the window as the user would, so running work stops and the
// converted texts are removed; the process then exits with 128 plus the signal's number. Every
// event loop ends, a modal message's too, and no other starts (a message asked for later returns
// at once): quit() would leave a window that refuses to close, such as a message box, open.
void closeOnSignals(orvanta::MainWindow &window, int &exitSignal)
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, &exitSignal] {
        unsigned char number = 0;
        while (::read(g_signalPipe[0], &number, 1) == 1)
            exitSignal = number;
        window.close();
        QCoreApplication::exit(128 + exitSignal);
    });
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Teralune"));
    QApplication::setApplicationName(QStringLiteral("Orvanta"));
    // Lets the desktop match the window to its menu entry and icon (the Wayland app id).
    QApplication::setDesktopFileName(QStringLiteral("io.teralune.Orvanta"));

    orvanta::SettingsStore settings;
    orvanta::WidgetDialogService dialogs;
    orvanta::MainWindow window(dialogs, settings,
                               orvanta::dataFolder(QApplication::applicationDirPath()));
    dialogs.setOwner(&window);
    int exitSignal = 0;
    closeOnSignals(window, exitSignal);
    window.startUp();
    if (exitSignal != 0)
        return 128 + exitSignal; // ended while a start-up message was open
    window.show();
    // Files and folders named on the command line, as a desktop's "Open With" passes them
    // (Exec=orvanta %F); a .orvanta file is a project to open.
    QStringList paths;
    for (const QString &argument : QApplication::arguments().mid(1)) {
        const QFileInfo named(argument);
        if (named.suffix().compare(QLatin1String("orvanta"), Qt::CaseInsensitive) == 0)
            window.openProject(named.absoluteFilePath());
        else
            paths << named.absoluteFilePath();
    }
    if (!paths.isEmpty())
        window.openPaths(paths);
    const int code = app.exec();
    return exitSignal != 0 ? 128 + exitSignal : code;
}
