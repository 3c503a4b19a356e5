#include "QtPrinters.h"
#include "filelist/ReferenceMarks.h"

#include <gtest/gtest.h>

#include <vector>

using namespace orvanta;

TEST(ReferenceMarks, TheChoicesOfferWhatTheSelectionIsNotYet)
{
    struct Case {
        std::vector<bool> selected;
        MarkChoices expected;
    };
    const std::vector<Case> cases = {
        {{}, {false, false}},          {{false}, {true, false}},
        {{true}, {false, true}},       {{false, false}, {true, false}},
        {{true, true}, {false, true}}, {{false, true}, {true, true}},
    };
    for (const Case &c : cases) {
        const MarkChoices got = markChoices(c.selected);
        EXPECT_EQ(got, c.expected) << "selection of " << c.selected.size() << ", first "
                                   << (c.selected.empty() ? -1 : int(c.selected.front()));
    }
}

TEST(ReferenceMarks, PathsAndMarksGoBothWaysAsAProjectKeepsThem)
{
    struct Case {
        QStringList paths;
        std::vector<bool> marks;
        QStringList references;
    };
    const std::vector<Case> cases = {
        {{"a.pdf", "b.pdf"}, {false, false}, {}},
        {{"a.pdf", "b.pdf", "c.pdf"}, {false, true, true}, {"b.pdf", "c.pdf"}},
        {{"a.pdf", "b.pdf", "a.pdf"}, {true, false, true}, {"a.pdf"}}, // listed twice, kept once
    };
    for (const Case &c : cases) {
        EXPECT_EQ(referencePaths(c.paths, c.marks), c.references)
            << c.paths.join(' ').toStdString();
        EXPECT_EQ(marksOf(c.paths, c.references), c.marks) << c.paths.join(' ').toStdString();
    }
    EXPECT_EQ(marksOf({"a.pdf"}, {"gone.pdf"}), std::vector<bool>{false}) << "a path left off";
}
