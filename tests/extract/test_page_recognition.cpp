#include "QtPrinters.h"
#include "TestSupport.h"
#include "extract/PageRecognition.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <mutex>
#include <utility>

using namespace orvanta;

namespace {

// What make-scans.sh and make-fixtures.sh wrote.
QString scan(const char *name)
{
    return QStringLiteral(ORVANTA_SCAN_DIR "/") + QLatin1String(name);
}

QString fixture(const char *name)
{
    return QStringLiteral(ORVANTA_FIXTURE_DIR "/") + QLatin1String(name);
}

// The words, lower case, with everything but letters and digits taken out.
QStringList words(const QString &text)
{
    QStringList result;
    for (QString word :
         text.toLower().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        word.remove(QRegularExpression(QStringLiteral("[^\\p{L}\\p{N}]")));
        if (!word.isEmpty())
            result << word;
    }
    return result;
}

QStringList words(const char *text)
{
    return words(QString::fromUtf8(text));
}

RecognitionRequest request(const QString &pdfPath, const QString &password = {})
{
    return {pdfPath, password, {QStringLiteral("eng")}, {}};
}

} // namespace

// Languages

TEST(PageRecognitionTest, InstalledLanguagesAreTheTrainedDataFilesExceptOsd)
{
    QTemporaryDir dir;
    for (const char *name : {"eng.traineddata", "osd.traineddata", "chi_sim.traineddata",
                             "eng.user-words", "readme.txt"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("deu.traineddata")));
    EXPECT_EQ(installedRecognitionLanguages(dir.path()), (QStringList{"chi_sim", "eng"}));
}

TEST(PageRecognitionTest, AMissingLanguageNamesThePackageToInstall)
{
    const QStringList installed{"eng", "fra"};
    EXPECT_TRUE(checkRecognitionLanguages({"eng", "fra"}, installed).ok());
    EXPECT_EQ(checkRecognitionLanguages({"eng", "deu"}, installed).error(),
              "The recognition language \"deu\" is not installed. Install the package "
              "tesseract-ocr-deu.");
    EXPECT_EQ(checkRecognitionLanguages({"chi_sim", "deu", "chi_sim"}, installed).error(),
              "The recognition languages \"chi_sim\", \"deu\" are not installed. Install the "
              "packages tesseract-ocr-chi-sim tesseract-ocr-deu.");
    EXPECT_EQ(checkRecognitionLanguages({}, installed).error(),
              "No recognition language is chosen.");
}

TEST(PageRecognitionTest, PagesAreNotDrawnWhenALanguageIsMissing)
{
    RecognitionRequest missing = request(fixture("damaged.pdf"));
    missing.languages << QStringLiteral("qqq");
    const std::vector<Result<QString>> results = recognisePages(missing, {1, 2});
    ASSERT_EQ(results.size(), 2u);
    for (const Result<QString> &result : results)
        EXPECT_TRUE(result.error().contains("tesseract-ocr-qqq")) << result.error().toStdString();
}

// Reading pages

TEST(PageRecognitionTest, AOnePageScanGivesItsWordsInOrder)
{
    const Result<QString> text = recognisePage(request(scan("scan-300.pdf")), 1);
    ASSERT_TRUE(text.ok()) << text.error().toStdString();
    EXPECT_EQ(words(*text), words("The quick brown fox jumps over the lazy dog. Scanned pages "
                                  "are read again with optical character recognition."));
    EXPECT_TRUE(text->endsWith('\n'));
}

TEST(PageRecognitionTest, PagesComeBackInTheOrderAskedForWithProgress)
{
    std::mutex mutex;
    std::vector<std::pair<int, int>> calls;
    const std::vector<Result<QString>> results = recognisePages(
        request(scan("typed-then-scanned.pdf")), {2, 1}, {},
        [&](int done, int total) {
            const std::lock_guard lock(mutex);
            calls.emplace_back(done, total);
        },
        2);
    ASSERT_EQ(results.size(), 2u);
    ASSERT_TRUE(results[0].ok()) << results[0].error().toStdString();
    ASSERT_TRUE(results[1].ok()) << results[1].error().toStdString();
    EXPECT_EQ(words(*results[0]), words("The second page is only a picture of printed words."));
    EXPECT_EQ(words(*results[1]), words("This first page was typed and has a text layer."));
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
}

TEST(PageRecognitionTest, ThePasswordOpensTheFile)
{
    const Result<QString> opened =
        recognisePage(request(fixture("user-password.pdf"), QStringLiteral("open sesame")), 1);
    ASSERT_TRUE(opened.ok()) << opened.error().toStdString();
    EXPECT_EQ(words(*opened), words("The secret garden opens at noon."));
    EXPECT_FALSE(recognisePage(request(fixture("user-password.pdf")), 1).ok());
}

// Faults

TEST(PageRecognitionTest, APageThatCannotBeDrawnSaysWhy)
{
    const std::vector<Result<QString>> damaged =
        recognisePages(request(fixture("damaged.pdf")), {1});
    EXPECT_EQ(damaged[0].error(), "it could not be drawn, the page or the PDF is damaged");
    EXPECT_EQ(recognisePage(request(fixture("text-a.pdf")), 2).error(),
              "it could not be drawn, the page or the PDF is damaged");

    const ScopedEnv noDrawer("ORVANTA_CONVERT_WORKER", "/nonexistent/orvanta-convert");
    EXPECT_EQ(recognisePage(request(scan("scan-300.pdf")), 1).error(),
              "orvanta-convert, which draws pages for OCR, is not installed; reinstall Orvanta");
}

// A page far larger than a poster would take gigabytes at the usual resolution: it is drawn at
// one that fits, and refused when that would be too coarse to read.
TEST(PageRecognitionTest, AVeryLargePageIsDrawnSmallerOrRefused)
{
    PageDrawer drawer;
    const Result<GrayImage> large = drawer.draw(request(fixture("large-100.pdf")), 1, {});
    ASSERT_TRUE(large.ok()) << large.error().toStdString();
    EXPECT_LE(qint64(large->width) * large->height, kMostRecognitionPixels + 2 * large->width);
    EXPECT_LT(large->dpi, kRecognitionDpi);
    EXPECT_GE(large->dpi, kLeastRecognitionDpi);
    EXPECT_EQ(large->pixels.size(), qint64(large->width) * large->height);

    EXPECT_EQ(drawer.draw(request(fixture("large-300.pdf")), 1, {}).error(),
              "it is too large to read (300 x 300 inches)");
}

TEST(PageRecognitionTest, AStopLeavesThePagesNotYetFinishedUnread)
{
    std::stop_source stop;
    int progressCalls = 0;
    const std::vector<Result<QString>> results = recognisePages(
        request(fixture("scanned-12.pdf")), {1, 2, 3, 4}, stop.get_token(),
        [&](int, int) {
            ++progressCalls;
            stop.request_stop();
        },
        1);
    ASSERT_EQ(results.size(), 4u);
    EXPECT_TRUE(results[0].ok()) << results[0].error().toStdString();
    for (size_t i = 1; i < results.size(); ++i)
        EXPECT_EQ(results[i].error(), recognitionCancelledMessage());
    EXPECT_EQ(progressCalls, 1);
}
