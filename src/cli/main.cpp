#include "cli/CountCommand.h"

#include <QCoreApplication>
#include <QFile>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvanta-count"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANTA_VERSION));

    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    return orvanta::runCountCommand(QCoreApplication::arguments(), out, err);
}
