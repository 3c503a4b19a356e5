#include "FakeConverter.h"
#include "Fixtures.h"
#include "QtPrinters.h"
#include "extract/Converter.h"
#include "extract/ProcessRunner.h"

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

struct Converted {
    ConversionOutcome outcome;
    QByteArray text;
};

Converted convert(const QString &pdf, const QString &password = {})
{
    const Result<Converter> converter = Converter::locate();
    EXPECT_TRUE(converter.ok());
    Converted result{ConversionOutcome::Cancelled, {}};
    result.outcome = converter->convert(
        pdf, password,
        [&result](QByteArrayView piece) {
            result.text += piece;
            return true;
        },
        {});
    return result;
}

} // namespace

TEST(Converter, ExitCodesAndTheFirstErrorLineTellTheOutcome)
{
    EXPECT_EQ(judgeConversion(0, {}), ConversionOutcome::Converted);
    EXPECT_EQ(judgeConversion(1, "Command Line Error: Incorrect password\n"),
              ConversionOutcome::NeedsPassword);
    EXPECT_EQ(judgeConversion(3, {}), ConversionOutcome::NeedsPassword);
    EXPECT_EQ(judgeConversion(1, "Syntax Error: Couldn't read xref table\n"),
              ConversionOutcome::Damaged);
    EXPECT_EQ(judgeConversion(99, {}), ConversionOutcome::Damaged);
    EXPECT_EQ(judgeConversion(kProcessCrashed, {}), ConversionOutcome::Stopped);
    EXPECT_EQ(judgeConversion(kProcessNotExecutable, {}), ConversionOutcome::Stopped);
    EXPECT_EQ(judgeConversion(kProcessCancelled, {}), ConversionOutcome::Cancelled);
}

TEST(Converter, TheInstalledConverterIsUsedWhereItIsAndAMissingOneIsNamed)
{
    const Result<Converter> installed = Converter::locate();
    ASSERT_TRUE(installed.ok());
    EXPECT_TRUE(installed->program().endsWith(QStringLiteral("/pdftotext")));

    const NoConverter none;
    const Result<Converter> missing = Converter::locate();
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), QLatin1String(kConverterMissing));
}

// What the real converter makes of each kind of file.
TEST(Converter, PdfsOfEveryKindGetTheirOutcome)
{
    const Converted text = convert(fixture("text-b.pdf"));
    EXPECT_EQ(text.outcome, ConversionOutcome::Converted);
    EXPECT_TRUE(text.text.startsWith("The quick brown fox waits"));
    EXPECT_EQ(text.text.count('\f'), 2);

    EXPECT_EQ(convert(fixture("user-password.pdf")).outcome, ConversionOutcome::NeedsPassword);
    const Converted opened = convert(fixture("user-password.pdf"), QStringLiteral("open sesame"));
    EXPECT_EQ(opened.outcome, ConversionOutcome::Converted);
    EXPECT_TRUE(opened.text.contains("The secret garden opens at noon."));
    EXPECT_EQ(convert(fixture("user-password.pdf"), QStringLiteral("wrong")).outcome,
              ConversionOutcome::NeedsPassword);

    for (const char *damaged : {"damaged.pdf", "empty.pdf", "not-a-pdf.pdf"})
        EXPECT_EQ(convert(fixture(damaged)).outcome, ConversionOutcome::Damaged) << damaged;
    EXPECT_EQ(convert(fixture("-leading-dash.pdf")).outcome, ConversionOutcome::Converted);
}

TEST(Converter, AConverterThatCrashesHasStopped)
{
    const FakeConverter crashing(QStringLiteral("echo part of a text\nkill -SEGV $$"));
    const Converted crashed = convert(fixture("text-a.pdf"));
    EXPECT_EQ(crashed.outcome, ConversionOutcome::Stopped);
}
