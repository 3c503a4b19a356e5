#include "app/Form1.h"
#include "app/WidgetDialogService.h"
#include "base/DataFolder.h"
#include "base/SettingsStore.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Teralune"));
    QApplication::setApplicationName(QStringLiteral("Orvanta"));

    orvanta::SettingsStore settings;
    orvanta::WidgetDialogService dialogs;
    orvanta::Form1 window(dialogs, settings,
                          orvanta::dataFolder(QApplication::applicationDirPath()));
    dialogs.setOwner(&window);
    window.startUp();
    window.show();
    return app.exec();
}
