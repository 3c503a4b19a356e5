#include "FakeConverter.h"
#include "Fixtures.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "documents/TextStore.h"
#include "extract/Converter.h"
#include "run/AdmissionCheck.h"

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

class AdmissionCheckTest : public ::testing::Test {
protected:
    ScopedTmpdir m_tmp;
    TextStore m_store;
    AdmissionCheck m_check{m_store};
};

} // namespace

TEST_F(AdmissionCheckTest, FilesWithTextPassAndAnEmptyListNeedsNothing)
{
    EXPECT_TRUE(m_check.check({}).rejected.isEmpty());
    const AdmissionResult result =
        m_check.check({fixture("text-a.pdf"), fixture("owner-only.pdf")});
    EXPECT_TRUE(result.rejected.isEmpty());
    EXPECT_TRUE(result.notice.isEmpty());
}

TEST_F(AdmissionCheckTest, UnreadableFilesAreRejectedInListOrder)
{
    const QStringList paths{
        fixture("scanned-3.pdf"),     fixture("text-a.pdf"),
        fixture("user-password.pdf"), fixture("scanned-12.pdf"),
        fixture("damaged.pdf"),       m_tmp.filePath(QStringLiteral("missing.pdf"))};
    const AdmissionResult result = m_check.check(paths);
    // Twelve scanned pages give twelve form feeds: enough bytes to pass.
    EXPECT_EQ(result.rejected, (QStringList{paths[0], paths[2], paths[4], paths[5]}));
    EXPECT_EQ(result.scannedFiles, 2); // both scans, the admitted one too
    EXPECT_EQ(result.notice,
              QStringLiteral("These files could not be read:\r\n\r\n") + paths[0] +
                  QStringLiteral("\r\n") + paths[2] + QStringLiteral("\r\n") + paths[4] +
                  QStringLiteral("\r\n") + paths[5] +
                  QStringLiteral("\r\n\r\nThis program will extract text from a PDF but this "
                                 "program will not extract text within an image within a PDF."
                                 "\r\n\r\nEmail ") +
                  QLatin1String(kSupportAddress) + QStringLiteral(" if you have any questions."));
}

TEST_F(AdmissionCheckTest, OnlyNewOrChangedFilesAreConvertedAndAFileListedTwiceOnce)
{
    const QString a = copyOf("text-a.pdf", m_tmp.filePath(QStringLiteral("text-a.pdf")));
    const QString scanned =
        copyOf("scanned-3.pdf", m_tmp.filePath(QStringLiteral("scanned-3.pdf")));
    EXPECT_EQ(m_check.check({a, scanned, scanned}).rejected, (QStringList{scanned, scanned}));
    EXPECT_EQ(m_store.conversions(), 2);

    const QString b = fixture("text-b.pdf");
    EXPECT_EQ(m_check.check({a, scanned, b}).rejected, QStringList{scanned});
    EXPECT_EQ(m_store.conversions(), 3);

    // The same name now holds a readable PDF.
    QFile::remove(scanned);
    QFile::copy(fixture("text-b.pdf"), scanned);
    EXPECT_TRUE(m_check.check({a, scanned, b}).rejected.isEmpty());
    EXPECT_EQ(m_store.conversions(), 4);
}

TEST_F(AdmissionCheckTest, WithoutAConverterTheProblemIsToldInsteadOfTheNotice)
{
    const NoConverter none;
    const AdmissionResult result = m_check.check({fixture("text-a.pdf")});
    EXPECT_EQ(result.converterProblem, QLatin1String(kConverterMissing));
    EXPECT_TRUE(result.notice.isEmpty());
}

// The check converts with the store's limits, as the run does: a hostile PDF cannot hold it.
TEST_F(AdmissionCheckTest, APdfPastItsTimeLimitIsRejectedAndTheCheckFinishes)
{
    m_store.setConversionLimits({std::chrono::seconds(1), ConversionLimits::kDefaultMemory});
    const AdmissionResult result =
        m_check.check({fixture("nested-forms.pdf"), fixture("text-a.pdf")});
    EXPECT_EQ(result.rejected, QStringList{fixture("nested-forms.pdf")});
}
