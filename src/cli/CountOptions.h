#pragma once

#include "base/Result.h"
#include "cli/ListedRows.h"
#include "cli/RecordWriter.h"
#include "documents/CountedText.h"
#include "extract/Converter.h"
#include "results/RowSelection.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace orvanta {

// What one orvanta-count command line asks for.
struct CountOptions {
    enum class Request { Count, Help, Version };
    Request request = Request::Count;
    QString helpText;

    QStringList inputs;
    std::vector<int> lengths{4};
    RowSelection rows;
    OutputFormat format = OutputFormat::Tsv;
    bool header = true;
    bool files = false;
    QString output;     // empty: standard output
    QString where;      // a phrase whose occurrences are printed instead of the results
    int passages = 0;   // above 0: the repeated passages of at least this many words are printed
    QString keepTextIn; // a folder that keeps the converted texts between runs
    bool askPassword = false;
    int jobs = 0;
    bool quiet = false;
    TextOptions text;
    QStringList recognitionLanguages; // --ocr: scanned pages read in these languages
    ConversionLimits conversionLimits;
    bool sortChosen = false; // --sort was given
    // Rows hidden from the lists; the stop words are read from the named list by loadStopWords.
    RowFilters filters;
    QString stopWordList;    // a bundled language or a file
    bool dispersion = false; // per_million and dp columns
    bool byFile = false;     // one row per phrase and file it occurs in
    QStringList references;  // inputs of the reference set: the others are the target
    int overlap = 0;         // above 0: the pairs of inputs sharing stretches of this many words
    double overlapIgnoreAbovePercent = 100;
    qint64 memoryLimit = 0; // above 0: count in partitions spilled to disk within this memory
    QString spillDir;       // where they go; empty: the private temporary folder
};

// A size as typed: a number of bytes, or with K, M or G after it (binary: 1K is 1024 bytes),
// such as "2G" or "512M"; 0 for text that is not one.
qint64 parseByteSize(const QString &text);

// The options of the command line (arguments[0] is the program), or the message of a usage
// error naming what is wrong.
Result<CountOptions> parseCountOptions(const QStringList &arguments);

// Reads the stop words the options name from a bundled list in `dataFolder` or a file.
Status loadStopWords(CountOptions &options, const QString &dataFolder);

} // namespace orvanta
