#include "QtPrinters.h"
#include "filelist/PathJoin.h"

#include <gtest/gtest.h>

#include <vector>

using namespace orvanta;

namespace {

struct PathCase {
    const char *input;
    const char *expected;
};

void expectAll(QString (*collapse)(const QString &), const std::vector<PathCase> &cases)
{
    for (const PathCase &c : cases) {
        const QString input = QString::fromUtf8(c.input);
        EXPECT_EQ(collapse(input), QString::fromUtf8(c.expected)) << "input: " << c.input;
    }
}

} // namespace

TEST(CollapseSlashes, RunsInsideThePathAreHalvedPairByPair)
{
    const std::vector<PathCase> cases = {
        {"home//ann/a.pdf", "home/ann/a.pdf"},
        {"a////b", "a//b"},
        {"a/////b", "a///b"},
        {"dir//", "dir/"},
        {"dir/", "dir/"},
    };
    expectAll(collapseSlashes, cases);
}

TEST(CollapseSlashes, LeadingRunBecomesExactlyOne)
{
    const std::vector<PathCase> cases = {
        {"//home//ann///a.pdf", "/home/ann//a.pdf"},
        {"/home/ann/a.pdf", "/home/ann/a.pdf"},
        {"////srv//x", "/srv/x"},
        {"///srv///x", "/srv//x"},
        {"/", "/"},
        {"///", "/"},
    };
    expectAll(collapseSlashes, cases);
}

TEST(CollapseSlashes, BackslashesAreLeftAlone)
{
    const std::vector<PathCase> cases = {
        {R"(C:\\dir\\\\file)", R"(C:\\dir\\\\file)"},
        {R"(\\srv//x)", R"(\\srv/x)"},
        {R"(/\\/x)", R"(/\\/x)"},
    };
    expectAll(collapseSlashes, cases);
}

TEST(CollapseSlashes, EmptyAndPlainTexts)
{
    const std::vector<PathCase> cases = {
        {"", ""},
        {"a.pdf", "a.pdf"},
    };
    expectAll(collapseSlashes, cases);
}
