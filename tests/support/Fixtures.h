#pragma once

// The PDF fixtures that tests/data/make-fixtures.sh writes before the tests run.

#include <QFile>
#include <QString>
#include <QStringList>

namespace orvanta {

inline QString fixtureFolder()
{
    return QStringLiteral(ORVANTA_FIXTURE_DIR);
}

inline QString fixture(const QString &name)
{
    return fixtureFolder() + QLatin1Char('/') + name;
}

inline QString fixture(const char *name)
{
    return fixture(QString::fromUtf8(name));
}

// A copy of a fixture at `target`, replacing what is there, for a test that changes it.
inline QString copyOf(const char *name, const QString &target)
{
    QFile::remove(target);
    QFile::copy(fixture(name), target);
    return target;
}

// Copies of one PDF reading "Odd file names must not matter." under names that trip up shells
// and quoting.
inline QStringList oddNamedFixtures()
{
    QStringList paths;
    for (const char *name :
         {"with space.pdf", "quote\"double.pdf", "quote'single.pdf", "-leading-dash.pdf",
          "Ünïcödé façade.pdf", "en–dash.pdf", "dollar$HOME.pdf", "new\nline.pdf"})
        paths << fixture(name);
    return paths;
}

} // namespace orvanta
