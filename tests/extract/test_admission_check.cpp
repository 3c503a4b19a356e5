#include "QtPrinters.h"
#include "TestSupport.h"
#include "base/PrivateTempFolder.h"
#include "extract/AdmissionCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace orvanta;

namespace {

const QString kFixtures = QStringLiteral(ORVANTA_FIXTURE_DIR);

class AdmissionCheckTest : public ::testing::Test {
protected:
    // A copy the test may change.
    QString copyOf(const QString &name)
    {
        const QString copy = m_tmp.filePath(name);
        QFile::copy(kFixtures + QLatin1Char('/') + name, copy);
        return copy;
    }

    QStringList privateFolderContents() const
    {
        return QDir(privateTempFolderPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    ScopedTmpdir m_tmp;
    RecordingSink m_sink;
    AdmissionCheck m_check{m_sink};
};

} // namespace

TEST_F(AdmissionCheckTest, AnEmptyListRejectsNothing)
{
    const AdmissionResult result = m_check.check({});
    EXPECT_TRUE(result.rejected.isEmpty());
    EXPECT_TRUE(result.notice.isEmpty());
}

TEST_F(AdmissionCheckTest, FilesWithTextPassAndNeedNoNotice)
{
    const AdmissionResult result = m_check.check(
        {kFixtures + QStringLiteral("/text-a.pdf"), kFixtures + QStringLiteral("/owner-only.pdf")});
    EXPECT_TRUE(result.rejected.isEmpty());
    EXPECT_TRUE(result.notice.isEmpty());
}

TEST_F(AdmissionCheckTest, UnreadableFilesAreRejectedInListOrderAndNothingIsLeftBehind)
{
    const QStringList paths{kFixtures + QStringLiteral("/scanned-3.pdf"),
                            kFixtures + QStringLiteral("/text-a.pdf"),
                            kFixtures + QStringLiteral("/user-password.pdf"),
                            kFixtures + QStringLiteral("/scanned-12.pdf"),
                            kFixtures + QStringLiteral("/damaged.pdf"),
                            m_tmp.filePath(QStringLiteral("missing.pdf"))};
    const AdmissionResult result = m_check.check(paths);
    // Twelve scanned pages give twelve form feeds: enough bytes to pass.
    EXPECT_EQ(result.rejected, (QStringList{paths[0], paths[2], paths[4], paths[5]}));
    EXPECT_EQ(result.notice,
              QStringLiteral("These files could not be read:\r\n\r\n") + paths[0] +
                  QStringLiteral("\r\n") + paths[2] + QStringLiteral("\r\n") + paths[4] +
                  QStringLiteral("\r\n") + paths[5] +
                  QStringLiteral("\r\n\r\nThis program will extract text from a PDF but this "
                                 "program will not extract text within an image within a PDF."
                                 "\r\n\r\nEmail ") +
                  QLatin1String(kSupportAddress) + QStringLiteral(" if you have any questions."));
    EXPECT_EQ(privateFolderContents(), QStringList{QStringLiteral("pdftotext")});
    EXPECT_TRUE(m_sink.reports.empty());
}

TEST_F(AdmissionCheckTest, OnlyNewOrChangedFilesAreConvertedAgain)
{
    const QString a = copyOf(QStringLiteral("text-a.pdf"));
    const QString scanned = copyOf(QStringLiteral("scanned-3.pdf"));
    EXPECT_EQ(m_check.check({a, scanned}).rejected, QStringList{scanned});
    EXPECT_EQ(m_check.conversionsLastCheck(), 2);

    const QString b = kFixtures + QStringLiteral("/text-b.pdf");
    EXPECT_EQ(m_check.check({a, scanned, b}).rejected, QStringList{scanned});
    EXPECT_EQ(m_check.conversionsLastCheck(), 1);

    // The same name now holds a readable PDF.
    QFile::remove(scanned);
    QFile::copy(kFixtures + QStringLiteral("/text-b.pdf"), scanned);
    EXPECT_TRUE(m_check.check({a, scanned, b}).rejected.isEmpty());
    EXPECT_EQ(m_check.conversionsLastCheck(), 1);
}

TEST_F(AdmissionCheckTest, AFileListedTwiceIsConvertedOnceAndNamedTwice)
{
    const QString scanned = kFixtures + QStringLiteral("/scanned-3.pdf");
    EXPECT_EQ(m_check.check({scanned, scanned}).rejected, (QStringList{scanned, scanned}));
    EXPECT_EQ(m_check.conversionsLastCheck(), 1);
}

TEST_F(AdmissionCheckTest, WithoutAConverterTheProblemIsToldInsteadOfTheNotice)
{
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", m_tmp.path().toUtf8());
    const AdmissionResult result = m_check.check({kFixtures + QStringLiteral("/text-a.pdf")});
    qputenv("PATH", savedPath);
    EXPECT_TRUE(result.converterProblem.contains(QStringLiteral("poppler-utils")));
    EXPECT_TRUE(result.notice.isEmpty());
}
