#include "TestSupport.h"
#include "results/SpreadsheetPresence.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

// A PATH of the test's own, where programs are only what a test puts there.
class SpreadsheetPresenceTest : public ::testing::Test {
protected:
    void addProgram(const char *name, const QByteArray &script, bool executable = true)
    {
        const QString program = writeFile(m_bin.filePath(QLatin1String(name)), script);
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        QFile::setPermissions(program, permissions);
    }

    QTemporaryDir m_bin;
    ScopedEnv m_path{"PATH", m_bin.path().toUtf8()};
};

} // namespace

TEST_F(SpreadsheetPresenceTest, AProgramOnPathCountsOnlyWhenExecutable)
{
    EXPECT_FALSE(spreadsheetProgramFound());
    addProgram("libreoffice", "#!/bin/sh\nexit 0\n", false);
    EXPECT_FALSE(spreadsheetProgramFound());
    addProgram("libreoffice", "#!/bin/sh\nexit 0\n", true);
    EXPECT_TRUE(spreadsheetProgramFound());
    EXPECT_EQ(spreadsheetProgramOnPath(), m_bin.filePath(QStringLiteral("libreoffice")));
}

TEST_F(SpreadsheetPresenceTest, TheDesktopsDefaultProgramForWorkbooksCounts)
{
    addProgram("xdg-mime", "#!/bin/sh\nexit 0\n");
    EXPECT_FALSE(spreadsheetProgramFound());
    addProgram("xdg-mime", "#!/bin/sh\n[ \"$1 $2 $3\" = \"query default "
                           "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet\" ] "
                           "&& echo gnumeric.desktop\n");
    EXPECT_TRUE(spreadsheetProgramFound());
}
