#pragma once

#include "base/Result.h"
#include "extract/ConvertWorkerPool.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stop_token>
#include <vector>

namespace tesseract {
class TessBaseAPI;
}

namespace orvanta {

// Reading the words of scanned PDF pages: each page is drawn by the conversion worker
// (orvanta-convert) in a child process, which takes a password through a pipe, and the picture
// is read by Tesseract in this process.

// The resolution pages are drawn at for recognition, in dots per inch.
inline constexpr int kRecognitionDpi = 300;
// A larger page is drawn at the resolution that keeps it to this many pixels (Tesseract takes a
// few bytes a pixel, on every core), down to kLeastRecognitionDpi; larger still, it is not read.
inline constexpr qint64 kMostRecognitionPixels = qint64(64) << 20;
inline constexpr int kLeastRecognitionDpi = 70;

// The folder of the recognition languages: $TESSDATA_PREFIX when it names an existing folder,
// as Tesseract itself decides, otherwise the folder of the installed language packages.
QString recognitionDataFolder();

// The languages in the folder, one code per LANG.traineddata file ("eng", "deu", "chi_sim"),
// sorted. "osd" is left out: it finds the orientation and script of a page but reads no words.
QStringList installedRecognitionLanguages(const QString &dataFolder = recognitionDataFolder());

// The Debian package that installs a language: "tesseract-ocr-chi-sim" for "chi_sim".
QString recognitionLanguagePackage(const QString &language);

// Succeeds when at least one language is asked for and every one is installed; otherwise the
// message names each missing language with the package to install.
Status checkRecognitionLanguages(const QStringList &languages, const QStringList &installed);

// Which PDF to read and in which languages.
struct RecognitionRequest {
    QString pdfPath;
    QString password; // empty when the PDF opens without one
    QStringList languages{QStringLiteral("eng")};
    ConversionLimits limits; // for drawing each page
};

// Draws pages for recognition in worker processes, so that a damaged PDF can crash only a child.
class PageDrawer {
public:
    PageDrawer();

    // Draws one page (from 1) at kRecognitionDpi, or lower for a very large page. A non-empty
    // password is given as both the open and the owner password. A stop request ends the child.
    // A failure says why, without naming the page or the file.
    Result<GrayImage> draw(const RecognitionRequest &request, int page, std::stop_token stop);

private:
    std::unique_ptr<ConvertWorkerPool> m_workers; // none when the worker is not installed
};

// One Tesseract engine with its languages loaded. Loading takes a while, so a worker keeps one
// for all its pages; an engine must not be used by two threads at once.
class PageRecognizer {
public:
    // Fails with checkRecognitionLanguages' message when a language is missing.
    static Result<std::unique_ptr<PageRecognizer>> create(const QStringList &languages);
    ~PageRecognizer();
    PageRecognizer(const PageRecognizer &) = delete;
    PageRecognizer &operator=(const PageRecognizer &) = delete;

    // The page's text in UTF-8 reading order: one line per line of print, a blank line between
    // paragraphs, the last line ending in a line feed; empty when nothing was read. A stop
    // request ends the reading between two words. The picture's resolution is its own, or
    // kRecognitionDpi when it has none.
    Result<QString> recognise(const GrayImage &image, std::stop_token stop);

private:
    PageRecognizer();
    std::unique_ptr<tesseract::TessBaseAPI> m_engine;
};

// Draws and reads one page (1-based) with an engine of its own.
Result<QString> recognisePage(const RecognitionRequest &request, int page,
                              std::stop_token stop = {});

// Called after each page is finished, with how many are finished and how many there are. Calls
// come from the worker threads, one at a time, with `done` counting up.
using RecognitionProgress = std::function<void(int done, int total)>;

// The message of a page that was not read because a stop was requested.
QString recognitionCancelledMessage();

// How many pages are read at once by default: one per processor core.
int defaultRecognitionWorkers();

// Draws and reads the pages (1-based), spread over `workers` threads (0: the default), each with
// its own engine. The results are in the order of `pages`; a page that failed says why, without
// naming the page or the file. After a stop request the pages not yet finished fail with
// recognitionCancelledMessage(). Tesseract's own OpenMP threads are turned off for this process,
// since the workers already use every core.
std::vector<Result<QString>> recognisePages(const RecognitionRequest &request,
                                            const std::vector<int> &pages,
                                            std::stop_token stop = {},
                                            const RecognitionProgress &progress = {},
                                            int workers = 0);

} // namespace orvanta
