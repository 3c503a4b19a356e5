// --where prints from the texts a run counted, read again: a text no longer at hand fails the
// command, a stop prints nothing, and names are kept on one TSV line.

#include "QtPrinters.h"
#include "TestSupport.h"
#include "cli/CountOptions.h"
#include "cli/RecordOutput.h"
#include "cli/WhereCommand.h"
#include "documents/TextStore.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

class WhereCommandTest : public ::testing::Test {
protected:
    // Prints where "the end" occurs in `paths`, read as text files.
    bool print(const QStringList &paths, std::stop_token stop = {})
    {
        CountOptions options;
        options.where = QStringLiteral("the end");
        RunOutcome outcome;
        for (const QString &path : paths)
            outcome.sources.push_back(CountedSource{path, std::nullopt, true, {}});
        QBuffer out(&m_out);
        QBuffer err(&m_err);
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        WhereCommand command(options, m_store, err, stop);
        Destination destination(out, {});
        RecordWriter writer(OutputFormat::Tsv, command.fieldNames(), false);
        RecordStream records(destination, writer);
        const bool printed = command.print(outcome, records);
        m_missed = command.missedInputs();
        return printed;
    }

    QTemporaryDir m_dir;
    TextStore m_store;
    QByteArray m_out;
    QByteArray m_err;
    bool m_missed = false;
};

} // namespace

TEST_F(WhereCommandTest, ATextNoLongerAtHandIsNamedAndFailsTheCommand)
{
    const QString kept = writeFile(m_dir.filePath(QStringLiteral("tab\there.txt")), "The end\n");
    const QString gone = m_dir.filePath(QStringLiteral("gone.txt"));
    ASSERT_TRUE(print({gone, kept}));
    EXPECT_TRUE(m_missed);
    EXPECT_EQ(m_err, "orvanta-count: " + gone.toUtf8() +
                         "  - its text is no longer at hand; count it again.\n");
    EXPECT_EQ(m_out, m_dir.path().toUtf8() + "/tab\\there.txt\t1\t1\tThe end\n");
}

TEST_F(WhereCommandTest, EveryTextAtHandFailsNothing)
{
    const QString kept = writeFile(m_dir.filePath(QStringLiteral("a.txt")), "the end\n");
    ASSERT_TRUE(print({kept}));
    EXPECT_FALSE(m_missed);
    EXPECT_TRUE(m_err.isEmpty());
}

TEST_F(WhereCommandTest, AStopPrintsNothing)
{
    const QString kept = writeFile(m_dir.filePath(QStringLiteral("a.txt")), "the end\n");
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(print({kept}, stop.get_token()));
    EXPECT_TRUE(m_out.isEmpty());
}
