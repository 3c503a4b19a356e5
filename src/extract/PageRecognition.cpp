#include "extract/PageRecognition.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>

#include <algorithm>
#include <atomic>
#include <dlfcn.h>
#include <mutex>
#include <optional>
#include <thread>

#ifndef ORVANTA_TESSDATA_DIR
#error "ORVANTA_TESSDATA_DIR names the folder of the installed recognition languages"
#endif

namespace orvanta {

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Tesseract's recogniser starts OpenMP threads of its own (four at a time) unless the
// maximum of active parallel levels is zero. With one worker per core they only compete: on
// two busy cores the pages took three times as long with them. libgomp keeps the setting per
// thread, so every worker makes it. Looked up at run time: a Tesseract built without OpenMP
// has no such function and needs nothing. (OMP_THREAD_LIMIT=1 would do the same but is read
// only when libgomp is loaded, before our code runs.)
void turnOffOpenMpThreadsOfThisThread()
{
    using SetMaxActiveLevels = void (*)(int);
    static const auto set =
        reinterpret_cast<SetMaxActiveLevels>(::dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
    if (set)
        set(0);
}

bool cancelRequested(void *stop, int /*words*/)
{
    return static_cast<const std::stop_token *>(stop)->stop_requested();
}

// Tesseract ends every line with a line feed and a paragraph with one more; a form feed
// would end the page early for the reader of the text, so none remains.
QString tidyRecognisedText(QString text)
{
    text.remove(QChar(u'\f'));
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    return text;
}

} // namespace

QString recognitionDataFolder()
{
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty() && QFileInfo::exists(prefix))
        return prefix;
    return QStringLiteral(ORVANTA_TESSDATA_DIR);
}

QStringList installedRecognitionLanguages(const QString &dataFolder)
{
    const QString suffix = QStringLiteral(".traineddata");
    QStringList languages;
    const QStringList files =
        QDir(dataFolder)
            .entryList({QLatin1Char('*') + suffix}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &file : files) {
        const QString code = file.chopped(suffix.size());
        if (!code.isEmpty() && code != QLatin1String("osd"))
            languages << code;
    }
    return languages;
}

QString recognitionLanguagePackage(const QString &language)
{
    return QStringLiteral("tesseract-ocr-") + language.toLower().replace(u'_', u'-');
}

Status checkRecognitionLanguages(const QStringList &languages, const QStringList &installed)
{
    if (languages.isEmpty())
        return Failure{QStringLiteral("No recognition language is chosen.")};
    QStringList missing;
    for (const QString &language : languages) {
        if (!installed.contains(language) && !missing.contains(language))
            missing << language;
    }
    if (missing.isEmpty())
        return {};
    QStringList names;
    QStringList packages;
    for (const QString &language : std::as_const(missing)) {
        names << quoted(language);
        packages << recognitionLanguagePackage(language);
    }
    if (missing.size() == 1)
        return Failure{QStringLiteral("The recognition language %1 is not installed. Install the "
                                      "package %2.")
                           .arg(names.first(), packages.first())};
    return Failure{QStringLiteral("The recognition languages %1 are not installed. Install the "
                                  "packages %2.")
                       .arg(names.join(QStringLiteral(", ")), packages.join(QLatin1Char(' ')))};
}

PageDrawer::PageDrawer()
{
    const QString worker = ConvertWorkerPool::locateWorker();
    if (!worker.isEmpty())
        m_workers = std::make_unique<ConvertWorkerPool>(worker);
}

Result<GrayImage> PageDrawer::draw(const RecognitionRequest &request, int page,
                                   std::stop_token stop)
{
    if (!m_workers)
        return Failure{QStringLiteral("orvanta-convert, which draws pages for OCR, is not "
                                      "installed; reinstall Orvanta")};
    GrayImage image;
    switch (m_workers->draw(request.pdfPath, request.password, page, kRecognitionDpi,
                            kMostRecognitionPixels, request.limits, image, stop)) {
    case ConversionOutcome::Converted:
        break;
    case ConversionOutcome::Cancelled:
        return Failure{recognitionCancelledMessage()};
    case ConversionOutcome::TimedOut:
        return Failure{QStringLiteral("drawing it took longer than %1")
                           .arg(describeTimeLimit(request.limits.time))};
    case ConversionOutcome::OutOfMemory:
        return Failure{QStringLiteral("drawing it needed more than %1 of memory")
                           .arg(describeMemoryLimit(request.limits.memoryBytes))};
    case ConversionOutcome::NeedsPassword:
    case ConversionOutcome::NoSafeConverter:
        return Failure{QStringLiteral("it cannot be drawn without the PDF's password")};
    case ConversionOutcome::Damaged:
        return Failure{QStringLiteral("it could not be drawn, the page or the PDF is damaged")};
    case ConversionOutcome::Stopped:
        return Failure{QStringLiteral("orvanta-convert stopped while drawing it")};
    }
    if (image.dpi < kLeastRecognitionDpi)
        return Failure{QStringLiteral("it is too large to read (%1 x %2 inches)")
                           .arg(qRound(image.width / image.dpi))
                           .arg(qRound(image.height / image.dpi))};
    return image;
}

PageRecognizer::PageRecognizer()
    : m_engine(std::make_unique<tesseract::TessBaseAPI>())
{
}

PageRecognizer::~PageRecognizer() = default;

Result<std::unique_ptr<PageRecognizer>> PageRecognizer::create(const QStringList &languages)
{
    const QString folder = recognitionDataFolder();
    if (Status check = checkRecognitionLanguages(languages, installedRecognitionLanguages(folder));
        !check)
        return Failure{check.error()};

    std::unique_ptr<PageRecognizer> recognizer(new PageRecognizer);
    const QByteArray path = QFile::encodeName(folder);
    const QByteArray codes = languages.join(QLatin1Char('+')).toUtf8();
    const int failed =
        recognizer->m_engine->Init(path.constData(), codes.constData(), tesseract::OEM_DEFAULT);
    if (failed)
        return Failure{QStringLiteral("Tesseract could not load the recognition languages %1 "
                                      "from %2.")
                           .arg(QString::fromUtf8(codes), QDir::toNativeSeparators(folder))};
    return {std::move(recognizer)};
}

Result<QString> PageRecognizer::recognise(const GrayImage &image, std::stop_token stop)
{
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != qsizetype(image.width) * image.height)
        return Failure{QStringLiteral("The picture to recognise has the wrong size.")};
    if (stop.stop_requested())
        return Failure{recognitionCancelledMessage()};
    turnOffOpenMpThreadsOfThisThread();

    m_engine->SetImage(reinterpret_cast<const unsigned char *>(image.pixels.constData()),
                       image.width, image.height, 1, image.width);
    m_engine->SetSourceResolution(image.dpi > 0 ? qRound(image.dpi) : kRecognitionDpi);
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = &cancelRequested;
    monitor.cancel_this = &stop;
    const int status = m_engine->Recognize(&monitor);
    if (stop.stop_requested()) {
        m_engine->Clear();
        return Failure{recognitionCancelledMessage()};
    }
    if (status != 0) {
        m_engine->Clear();
        return Failure{QStringLiteral("Tesseract could not read it")};
    }
    const std::unique_ptr<char[]> text(m_engine->GetUTF8Text());
    m_engine->Clear();
    return tidyRecognisedText(QString::fromUtf8(text ? text.get() : ""));
}

Result<QString> recognisePage(const RecognitionRequest &request, int page, std::stop_token stop)
{
    if (Status check =
            checkRecognitionLanguages(request.languages, installedRecognitionLanguages());
        !check)
        return Failure{check.error()};
    const Result<GrayImage> image = PageDrawer().draw(request, page, stop);
    if (!image)
        return Failure{image.error()};
    Result<std::unique_ptr<PageRecognizer>> recognizer = PageRecognizer::create(request.languages);
    if (!recognizer)
        return Failure{recognizer.error()};
    return (*recognizer)->recognise(*image, stop);
}

QString recognitionCancelledMessage()
{
    return QStringLiteral("Recognition was cancelled.");
}

int defaultRecognitionWorkers()
{
    return std::max(QThread::idealThreadCount(), 1);
}

std::vector<Result<QString>> recognisePages(const RecognitionRequest &request,
                                            const std::vector<int> &pages, std::stop_token stop,
                                            const RecognitionProgress &progress, int workers)
{
    const int total = int(pages.size());
    std::vector<std::optional<Result<QString>>> results(pages.size());
    const auto finish = [&] {
        std::vector<Result<QString>> finished;
        finished.reserve(results.size());
        for (std::optional<Result<QString>> &result : results)
            finished.push_back(std::move(*result));
        return finished;
    };

    // One message for a missing language rather than one failed engine per worker.
    if (Status check =
            checkRecognitionLanguages(request.languages, installedRecognitionLanguages());
        !check) {
        for (std::optional<Result<QString>> &result : results)
            result = Failure{check.error()};
        return finish();
    }

    PageDrawer drawer;
    std::atomic<int> next = 0;
    std::mutex progressMutex;
    int done = 0;
    const auto work = [&] {
        std::optional<Result<std::unique_ptr<PageRecognizer>>> recognizer;
        for (int index = next++; index < total; index = next++) {
            std::optional<Result<QString>> &result = results[size_t(index)];
            if (stop.stop_requested()) {
                result = Failure{recognitionCancelledMessage()};
                continue;
            }
            // Drawing comes first: a page that cannot be drawn needs no engine.
            const Result<GrayImage> image = drawer.draw(request, pages[size_t(index)], stop);
            if (!image) {
                result = Failure{image.error()};
            } else {
                if (!recognizer)
                    recognizer = PageRecognizer::create(request.languages);
                if (!*recognizer)
                    result = Failure{recognizer->error()};
                else
                    result = (**recognizer)->recognise(*image, stop);
            }
            if (stop.stop_requested() && !result->ok())
                continue; // a cancelled page is not a finished one
            const std::lock_guard lock(progressMutex);
            ++done;
            if (progress)
                progress(done, total);
        }
    };

    const int threadCount = std::min(workers > 0 ? workers : defaultRecognitionWorkers(), total);
    std::vector<std::thread> threads;
    threads.reserve(size_t(std::max(threadCount, 0)));
    for (int i = 0; i < threadCount; ++i)
        threads.emplace_back(work);
    for (std::thread &thread : threads)
        thread.join();
    return finish();
}

} // namespace orvanta
