#pragma once

#include "base/ErrorReport.h"
#include "documents/CountedText.h"
#include "phrases/CorpusMeasures.h"
#include "phrases/PhraseResults.h"
#include "run/OccurrenceFinder.h"
#include "run/PassageSearch.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

namespace orvanta {

class RowSource;
class PhraseTable;
class TextStore;

namespace run_texts {
inline constexpr auto kNoFiles = "No files added.";
inline constexpr auto kNoLengths = "You forgot to select number of phrases.";
inline constexpr auto kWrongPassword = "  - invalid password or no password protected.";
inline constexpr auto kProtected = "  - password protected or text is protected.";
inline constexpr auto kDamaged = "  - damaged or not a PDF.";
inline constexpr auto kUnreadable =
    "  - text unreadable. Please view the file yourself to see if it "
    "is really a scanned image of text and not proper PDF text.";
inline constexpr auto kFileMissing = "  - file not found.";
inline constexpr auto kNameNotUtf8 =
    "  - its name is not valid UTF-8; rename the file to count it.";
inline constexpr auto kNotRegularFile = "  - not a file, so it was not read.";
inline constexpr auto kConverterCrashed =
    "  - the converter stopped before finishing, so the file was not counted.";
inline constexpr auto kTimedOut =
    "  - converting it took longer than %1, so it was stopped and the file was not counted.";
inline constexpr auto kOutOfMemory = "  - converting it needed more than %1 of memory, so it was "
                                     "stopped and the file was not counted.";
inline constexpr auto kNoSafeConverter =
    "  - its password can be given only to orvanta-convert, which is not installed; reinstall "
    "Orvanta to count it.";
inline constexpr auto kUnreadPages = "  - OCR could not read %1 %2: %3.";
inline constexpr auto kNotKept = "  - its text could not be kept (%1), so the file was not "
                                 "counted.";
inline constexpr auto kFailureHeading = "The following files could not be read:";
inline constexpr auto kDone = "Done.";
} // namespace run_texts

// The reason a listed file that cannot be opened gets: a name that is not valid UTF-8 was
// decoded with replacement characters, so no file of that name exists.
QString unopenableFileReason(const QString &path);

struct RunProgress {
    enum class Stage { Converting, Recognising, Counting, FindingPassages, Ordering };
    Stage stage = Stage::Converting;
    int fileIndex = 0; // 1-based while converting; the page being read while recognising
    int fileCount = 0; // the pages to read while recognising
    QString path;
    bool fromStore = false; // the text was converted before and is read again
};

// What a counting run asks of whoever drives it, the window or the command line, while it runs:
// passwords, notices that end it early, and progress. What it produces comes back in its outcome.
// Calls come from the thread that runs CountingRun::run, but for progress, which may come from
// any thread.
class CountingRunHost {
public:
    virtual ~CountingRunHost() = default;
    // Why the run could not start: no files, no lengths, no converter.
    virtual void showNotice(const QString &text) = 0;
    // The password the user gives for the PDF; empty for none.
    virtual QString askPassword(const QString &pdfPath) = 0;
    virtual void reportProgress(const RunProgress &progress) = 0;
};

struct CountingRunOptions {
    bool promptForPassword = false;
    // Inputs counted as the text they are instead of being converted ("-" is standard input).
    std::function<bool(const QString &path)> readsAsText;
    int parallelConversions = 0; // 0: one per processor core
    TextOptions text;
    // Pages without text (scans) are read by text recognition in these languages; none: off.
    QStringList recognitionLanguages;
    // Above 0: the run also finds the repeated passages of at least this many words, and needs
    // no phrase lengths.
    int passageMinimumWords = 0;
    // The rows carry their frequency in each file (for dispersion, per-file tables, keyness).
    bool countsPerFile = false;
    // The outcome keeps the counted words, to find where a phrase stands in each file.
    bool keepCountedWords = false;
    // The run only reads the files, for their sources and corpus size, and needs no phrase
    // lengths: what compares documents reads the texts again.
    bool readsOnly = false;
    // Above 0: the phrases are counted in partitions spilled to disk, so that the run stays near
    // this many bytes of memory; the rows are the same.
    std::uint64_t memoryLimit = 0;
    QString spillFolder; // where the partitions go; empty: the private temporary folder
    // With a memory limit, the rows are left in the outcome's boundedRows to be handed over as
    // they are printed, instead of being held in its phrases.
    bool rowsWhenPrinted = false;
    // When set, the run counts no phrase: it hands each counted line, with the index of its
    // file in the list, to this, as one of several processes that count together does.
    std::function<void(int file, QByteArrayView line)> countedLines;
};

struct FileFailure {
    QString path;
    QString reason;
    bool operator==(const FileFailure &) const = default;
};

// What a run produced. A run that ended without being cancelled has its phrases and passages;
// a cancelled one has neither, so the results shown before stay.
struct RunOutcome {
    bool ran = false; // false when busy, without files or lengths, or without a converter
    bool cancelled = false;
    PhraseResults phrases;             // the repeated phrases in the order the list shows them
    std::vector<FileFailure> failures; // in list order; closingNotice() words them
    // Set when the converter or the temporary folder cannot be used, or the count ran out of
    // memory: nothing was counted.
    QString converterProblem;
    std::vector<CountedSource> sources; // every listed file, as it was read, in list order
    RepeatedPassages passages;          // when asked for; occurrences index `sources`
    // What was counted: the files read, their words (by index in `sources`), distinct words.
    CorpusSize corpus;
    std::shared_ptr<const PhraseTable> countedWords; // when asked for
    std::shared_ptr<RowSource> boundedRows;          // when asked for: the rows, not yet counted

    bool finished() const { return ran && !cancelled; }
};

// Counts the phrases of every listed file together, taking each PDF's text from the store
// (converting what it lacks), and gives the ordered repeated phrases and the files that failed
// in its outcome.
class CountingRun {
public:
    // Unexpected failures are reported to `errors` under `locationTag`.
    CountingRun(CountingRunHost &host, ErrorSink &errors, TextStore &store, QString locationTag);

    RunOutcome run(const QStringList &paths, const std::vector<int> &lengths,
                   const CountingRunOptions &options = {});

    // Safe from any thread: stops the converters, drops what was counted, keeps old results.
    void cancel();
    bool isBusy() const { return m_busy.load(); }

private:
    class Pass;

    CountingRunHost &m_host;
    ErrorSink &m_errors;
    TextStore &m_store;
    const QString m_locationTag;
    std::atomic<bool> m_busy{false};
    std::mutex m_stopMutex;
    std::stop_source m_stop;
};

// The closing notice: "Done." and, when files failed, the heading and one line per file.
QString closingNotice(const std::vector<FileFailure> &failures);

// How many conversions run at once by default: one per processor core.
int defaultParallelConversions();

} // namespace orvanta
