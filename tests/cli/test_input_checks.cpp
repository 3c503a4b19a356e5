// What orvanta-count checks of its inputs before reading any: an output that would replace an
// input under any of its names, and inputs that stream and so cannot be read twice.

#include "QtPrinters.h"
#include "TestSupport.h"
#include "cli/InputChecks.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvanta;

namespace {

struct ReplaceCase {
    const char *name;
    // Makes the output's name in `dir`, where "input.txt" is the one input; gives "" for none.
    std::function<QString(const QDir &dir)> output;
    bool replacesTheInput;
};

class OutputReplacingInputTest : public ::testing::TestWithParam<ReplaceCase> {};

QString linked(const QDir &dir, const char *name, bool symbolic)
{
    const QString link = dir.filePath(QString::fromUtf8(name));
    const QByteArray target = QFile::encodeName(dir.filePath(QStringLiteral("input.txt")));
    const int made = symbolic ? ::symlink(target.constData(), QFile::encodeName(link).constData())
                              : ::link(target.constData(), QFile::encodeName(link).constData());
    EXPECT_EQ(made, 0) << name;
    return link;
}

} // namespace

TEST_P(OutputReplacingInputTest, IsFoundUnderAnyOfItsNames)
{
    QTemporaryDir work;
    const QDir dir(work.path());
    const QString input = writeFile(dir.filePath(QStringLiteral("input.txt")), "one two\n");
    writeFile(dir.filePath(QStringLiteral("other.txt")), "one two\n");
    ASSERT_TRUE(dir.mkdir(QStringLiteral("sub")));
    const QString output = GetParam().output(dir);
    EXPECT_EQ(inputReplacedBy(output, {QStringLiteral("-"), input}),
              GetParam().replacesTheInput ? input : QString());
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, OutputReplacingInputTest,
    ::testing::Values(
        ReplaceCase{"SamePath",
                    [](const QDir &dir) { return dir.filePath(QStringLiteral("input.txt")); },
                    true},
        ReplaceCase{
            "AnotherPath",
            [](const QDir &dir) { return dir.filePath(QStringLiteral("sub/../input.txt")); }, true},
        ReplaceCase{"SymbolicLink", [](const QDir &dir) { return linked(dir, "soft", true); },
                    true},
        ReplaceCase{"HardLink", [](const QDir &dir) { return linked(dir, "hard", false); }, true},
        ReplaceCase{"AnotherFileWithTheSameText",
                    [](const QDir &dir) { return dir.filePath(QStringLiteral("other.txt")); },
                    false},
        ReplaceCase{"ANewFile",
                    [](const QDir &dir) { return dir.filePath(QStringLiteral("new.tsv")); }, false},
        ReplaceCase{"StandardOutput", [](const QDir &) { return QString(); }, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(StreamedInputs, AreStandardInputFifosAndDevicesOnly)
{
    QTemporaryDir work;
    const QDir dir(work.path());
    const QString fifo = dir.filePath(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString file = writeFile(dir.filePath(QStringLiteral("file.txt")), "one two\n");
    const QString missing = dir.filePath(QStringLiteral("missing.txt"));
    EXPECT_EQ(streamedInputs({QStringLiteral("-"), file, fifo, QStringLiteral("/dev/null"), missing,
                              dir.path()}),
              (QStringList{QStringLiteral("-"), fifo, QStringLiteral("/dev/null")}));
}
