#include "QtPrinters.h"
#include "results/ConcordanceRows.h"

#include <gtest/gtest.h>

using namespace orvanta;

TEST(ConcordanceRows, LinesGoOutAsFilePageLineNumberLeftPhraseRight)
{
    ConcordanceRows rows({
        {QStringLiteral("/a/one.pdf"), 3, 14, QStringLiteral("see"), QStringLiteral("the End"),
         QStringLiteral("of it")},
        {QString::fromUtf8("/b/\xc3\xa9t\xc3\xa9.pdf"),
         12,
         1,
         {},
         QStringLiteral("the end"),
         QString::fromUtf8("\xe2\x80\x94 \"quoted\"")},
    });
    EXPECT_EQ(rows.headers(),
              (QStringList{"file", "page", "line_number", "left", "phrase", "right"}));
    ASSERT_EQ(rows.rowCount(), 2);

    const struct {
        qsizetype row;
        const char *file;
        qint64 page;
        qint64 line;
        const char *left;
        const char *phrase;
        const char *right;
    } cases[] = {
        {0, "/a/one.pdf", 3, 14, "see", "the End", "of it"},
        {1, "/b/\xc3\xa9t\xc3\xa9.pdf", 12, 1, "", "the end", "\xe2\x80\x94 \"quoted\""},
    };
    for (const auto &c : cases) {
        const std::span<const ExportCell> cells = rows.cells(c.row);
        ASSERT_EQ(cells.size(), 6u);
        EXPECT_EQ(cells[0].text, QByteArrayView(c.file)) << c.row;
        EXPECT_TRUE(cells[1].isNumber && cells[2].isNumber) << c.row;
        EXPECT_EQ(cells[1].number, c.page) << c.row;
        EXPECT_EQ(cells[2].number, c.line) << c.row;
        EXPECT_EQ(cells[3].text, QByteArrayView(c.left)) << c.row;
        EXPECT_EQ(cells[4].text, QByteArrayView(c.phrase)) << c.row;
        EXPECT_EQ(cells[5].text, QByteArrayView(c.right)) << c.row;
    }
}
