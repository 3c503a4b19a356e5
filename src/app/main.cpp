#include "app/Form1.h"
#include "app/WidgetDialogService.h"
#include "base/DataFolder.h"
#include "base/SettingsStore.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Teralune"));
    QApplication::setApplicationName(QStringLiteral("Orvanta"));
    // Lets the desktop match the window to its menu entry and icon (the Wayland app id).
    QApplication::setDesktopFileName(QStringLiteral("io.teralune.Orvanta"));

    orvanta::SettingsStore settings;
    orvanta::WidgetDialogService dialogs;
    orvanta::Form1 window(dialogs, settings,
                          orvanta::dataFolder(QApplication::applicationDirPath()));
    dialogs.setOwner(&window);
    window.startUp();
    window.show();
    // Files named on the command line, as a desktop's "Open With" passes them (Exec=orvanta %F).
    QStringList files;
    for (const QString &argument : QApplication::arguments().mid(1))
        files << QFileInfo(argument).absoluteFilePath();
    if (!files.isEmpty())
        window.addInputFiles(files);
    return app.exec();
}
