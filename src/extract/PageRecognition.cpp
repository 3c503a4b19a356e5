#include "extract/PageRecognition.h"

#include "extract/ProcessRunner.h"

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

const QString kRenderer = QStringLiteral("pdftoppm");
// A page larger than this (far above a poster drawn at 300 dpi) is not recognised.
constexpr qsizetype kLargestPicture = qsizetype(1) << 30;

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The last line the child wrote to standard error: poppler puts the reason there.
QString lastErrorLine(const QByteArray &standardError)
{
    const QList<QByteArray> lines = standardError.trimmed().split('\n');
    return QString::fromUtf8(lines.last().trimmed());
}

// pdftoppm -gray writes "P5", width, height and 255, each followed by one white-space byte,
// then the rows.
Result<GrayImage> parseGrayImage(const QByteArray &data)
{
    qsizetype pos = 0;
    const auto field = [&]() -> QByteArray {
        const qsizetype start = pos;
        while (pos < data.size() && !QChar::isSpace(uchar(data[pos])))
            ++pos;
        const QByteArray value = data.mid(start, pos - start);
        ++pos; // the separator
        return value;
    };
    const QByteArray magic = field();
    bool widthOk = false;
    bool heightOk = false;
    GrayImage image;
    image.width = field().toInt(&widthOk);
    image.height = field().toInt(&heightOk);
    const QByteArray maxValue = field();
    const auto failure = Failure{QStringLiteral("%1 wrote no grey picture.").arg(kRenderer)};
    if (magic != "P5" || !widthOk || !heightOk || maxValue != "255" || image.width <= 0 ||
        image.height <= 0 || pos > data.size())
        return failure;
    if (data.size() - pos != qsizetype(image.width) * image.height)
        return failure;
    image.pixels = data.mid(pos);
    return image;
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

Result<GrayImage> renderPage(const QString &pdfPath, int page, const QString &password,
                             std::stop_token stop)
{
    const QString absolutePath = QFileInfo(pdfPath).absoluteFilePath();
    QStringList arguments{QStringLiteral("-r"),    QString::number(kRecognitionDpi),
                          QStringLiteral("-gray"), QStringLiteral("-f"),
                          QString::number(page),   QStringLiteral("-l"),
                          QString::number(page)};
    if (!password.isEmpty())
        arguments << QStringLiteral("-opw") << password << QStringLiteral("-upw") << password;
    // Without an output name pdftoppm writes the picture to standard output. The path is
    // absolute, so a name that starts with a dash is not taken for an option.
    arguments << absolutePath;

    QByteArray picture;
    QByteArray errorHead;
    bool tooLarge = false;
    const ProcessStreams streams{[&](QByteArrayView piece) {
                                     tooLarge = picture.size() + piece.size() > kLargestPicture;
                                     if (!tooLarge)
                                         picture += piece;
                                     return !tooLarge;
                                 },
                                 &errorHead};
    const int code = runProcess(kRenderer, arguments, stop, streams);
    const QString where = QStringLiteral("page %1 of %2")
                              .arg(QString::number(page), QDir::toNativeSeparators(pdfPath));
    switch (code) {
    case 0:
        break;
    case kProcessCancelled:
        if (tooLarge)
            return Failure{QStringLiteral("%1 is too large to recognise at %2 dpi.")
                               .arg(where, QString::number(kRecognitionDpi))};
        return Failure{recognitionCancelledMessage()};
    case kProcessNotFound:
    case kProcessNotExecutable:
    case kProcessStartFailed:
        return Failure{QStringLiteral("%1 could not be started to draw %2. Install the package "
                                      "poppler-utils.")
                           .arg(kRenderer, where)};
    case kProcessCrashed:
        return Failure{QStringLiteral("%1 crashed while drawing %2.").arg(kRenderer, where)};
    default: {
        const QString reason = lastErrorLine(errorHead);
        return Failure{
            QStringLiteral("%1 could not draw %2 (exit code %3)%4")
                .arg(kRenderer, where, QString::number(code),
                     reason.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + reason)};
    }
    }
    Result<GrayImage> image = parseGrayImage(picture);
    if (!image)
        return Failure{image.error() + QStringLiteral(" (%1)").arg(where)};
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
    m_engine->SetSourceResolution(kRecognitionDpi);
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
        return Failure{QStringLiteral("Tesseract could not recognise the page.")};
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
    const Result<GrayImage> image = renderPage(request.pdfPath, page, request.password, stop);
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
            const Result<GrayImage> image =
                renderPage(request.pdfPath, pages[size_t(index)], request.password, stop);
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
