#include "QtPrinters.h"
#include "phrases/Keyness.h"
#include "phrases/PhraseTable.h"
#include "phrases/ReferenceMeasures.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace orvanta;

namespace {

PhraseResults countPerFile(const FileLines &files, int length)
{
    PhraseTable table({length});
    table.setCountsPerFile(true);
    for (const auto &lines : files) {
        table.beginDocument();
        for (const QByteArray &line : lines)
            table.countLine(line);
    }
    PhraseResults results = table.extractRepeatedPhrases();
    results.sortForDisplay();
    return results;
}

} // namespace

// One count over both sets: each row's a and b and the word totals against the plain reference
// (the measures themselves are checked in test_corpus_measures), and the order; a phrase in one
// set only is listed too.
TEST(Keyness, EveryRowAgreesWithAPlainReferenceAndRowsDescendByLogLikelihood)
{
    const char *vocabulary[] = {"a", "b", "c", "d", "the", "The"};
    QRandomGenerator random(1130);
    for (int round = 0; round < 40; ++round) {
        const std::string where = "round " + std::to_string(round);
        FileLines files(size_t(random.bounded(2, 7)));
        std::vector<FileSet> sets;
        for (std::size_t f = 0; f < files.size(); ++f) {
            // The reference leans on "d", the target on "a".
            const bool reference = f % 2 == 1;
            sets.push_back(reference ? FileSet::Reference : FileSet::Target);
            for (int l = random.bounded(1, 5); l > 0; --l) {
                QByteArray line;
                for (int w = random.bounded(1, 12); w > 0; --w)
                    line +=
                        QByteArray(" ") + (random.bounded(3) == 0 ? (reference ? "d" : "a")
                                                                  : vocabulary[random.bounded(6)]);
                files[f].push_back(line);
            }
        }
        const int length = random.bounded(1, 3);
        const PhraseResults results = countPerFile(files, length);
        const CorpusSize corpus = referenceCorpusSize(files);
        const Result<KeynessTable> table = keynessTable(results, corpus, sets);
        ASSERT_TRUE(table.ok()) << where;

        std::uint64_t targetWords = 0, referenceWords = 0;
        for (std::size_t f = 0; f < files.size(); ++f)
            (sets[f] == FileSet::Reference ? referenceWords : targetWords) += corpus.wordsByFile[f];
        EXPECT_EQ(table->targetWords, targetWords) << where;
        EXPECT_EQ(table->referenceWords, referenceWords) << where;

        const ReferenceFileCounts reference = referenceFileCounts(files, length);
        ASSERT_EQ(table->rows.size(), reference.size()) << where;
        for (std::size_t k = 0; k < table->rows.size(); ++k) {
            const KeynessRow &row = table->rows[k];
            const QString phrase = results.row(row.row).phrase;
            std::uint64_t a = 0, b = 0;
            for (const auto &[file, count] : reference.at(phrase))
                (sets[file] == FileSet::Reference ? b : a) += count;
            EXPECT_EQ(row.target, a) << where << " " << phrase.toStdString();
            EXPECT_EQ(row.reference, b) << where << " " << phrase.toStdString();
            const Keyness want = keynessOf(a, b, targetWords, referenceWords);
            EXPECT_EQ(row.keyness.logLikelihood, want.logLikelihood) << where;
            EXPECT_EQ(row.keyness.logRatio, want.logRatio) << where;
            if (k > 0) {
                const KeynessRow &before = table->rows[k - 1];
                ASSERT_GE(before.keyness.logLikelihood, row.keyness.logLikelihood) << where;
                if (before.keyness.logLikelihood == row.keyness.logLikelihood) {
                    EXPECT_LT(before.row, row.row) << where;
                }
            }
        }
    }
}

TEST(Keyness, ASetWithoutWordsIsRefused)
{
    const FileLines files{{"x y", "x y"}, {}, {"  "}};
    const PhraseResults results = countPerFile(files, 2);
    const CorpusSize corpus = referenceCorpusSize(files);
    const struct {
        std::vector<FileSet> sets;
        const char *message;
    } cases[] = {
        {{FileSet::Target, FileSet::Reference, FileSet::Reference},
         keyness_texts::kNoReferenceWords},
        {{FileSet::Reference, FileSet::Target}, keyness_texts::kNoTargetWords},
        {{}, keyness_texts::kNoReferenceWords},
    };
    for (const auto &c : cases) {
        const Result<KeynessTable> table = keynessTable(results, corpus, c.sets);
        ASSERT_FALSE(table.ok());
        EXPECT_EQ(table.error(), QLatin1String(c.message));
    }
}

TEST(Keyness, ResultsWithoutPerFileCountsAreAMistake)
{
    PhraseResults plain;
    plain.append("x y", 2, 2, 1);
    EXPECT_THROW((void)keynessTable(plain, {2, 4, 2, {2, 2}},
                                    std::vector{FileSet::Target, FileSet::Reference}),
                 std::invalid_argument);
}
