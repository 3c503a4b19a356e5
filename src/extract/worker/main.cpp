// orvanta-convert: converts PDF after PDF to text for the program that started it, exactly as
// pdftotext with its default options would, without a process start per file; and draws pages
// as grey pictures for text recognition, as pdftoppm -gray would. Passwords arrive through
// standard input, never on a command line.
//
// Requests on standard input, a line and then the path's and the password's bytes (a password
// that is not empty is given as both open and owner password):
//   "text MEMORY PATHLENGTH PASSWORDLENGTH\n"
//   "draw MEMORY PAGE DPI MOSTPIXELS PATHLENGTH PASSWORDLENGTH\n"
// MEMORY caps the address space while the request is served (0: no cap). A page that would
// take more than MOSTPIXELS pixels at DPI is drawn at the highest resolution that fits.
// Answers on standard output, as records:
//   "t LENGTH\n" and LENGTH bytes of UTF-8 text, each page ended by a form feed, sent as the
//   pages are done;
//   "p WIDTH HEIGHT DPI\n" and WIDTH x HEIGHT bytes, one a pixel, rows top to bottom, 0 black;
//   "s STATUS\n" ends the answer. STATUS: 0 done, 1 damaged or not a PDF, or a page missing
//   from its page tree, 2 a password is needed or the one given is wrong, 3 out of memory
//   (the program then ends), 4 no such page.
// Standard input at its end ends the program; poppler's complaints go nowhere.

#include <ErrorCodes.h>
#include <GlobalParams.h>
#include <PDFDoc.h>
#include <PDFDocFactory.h>
#include <SplashOutputDev.h>
#include <TextOutputDev.h>
#include <goo/GooString.h>
#include <splash/SplashBitmap.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define ORVANTA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVANTA_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

enum Status { kDone = 0, kDamaged = 1, kNeedsPassword = 2, kOutOfMemory = 3, kNoSuchPage = 4 };

constexpr size_t kPieceBytes = 64 * 1024;
constexpr char kOutOfMemoryAnswer[] = "s 3\n";

struct Request {
    std::string kind;
    unsigned long long memory = 0;
    int page = 0;
    double dpi = 0;
    unsigned long long mostPixels = 0;
    std::string path;
    std::string password;
};

bool sendRecord(const char *head, const char *bytes = nullptr, size_t length = 0)
{
    if (std::fputs(head, stdout) < 0)
        return false;
    if (length > 0 && std::fwrite(bytes, 1, length, stdout) != length)
        return false;
    return std::fflush(stdout) == 0;
}

bool sendStatus(Status status)
{
    char head[32];
    std::snprintf(head, sizeof head, "s %d\n", int(status));
    return sendRecord(head);
}

// poppler ends the process with abort() when an allocation fails; the answer still says why.
// Records are flushed whole, so the answer stream is at a record boundary here.
void abortHandler(int)
{
    if (errno == ENOMEM)
        (void)!::write(STDOUT_FILENO, kOutOfMemoryAnswer, sizeof kOutOfMemoryAnswer - 1);
    ::_exit(kOutOfMemory);
}

// Caps the address space for one request, below the cap the program started with (0: that
// cap). Address sanitizer reserves far more address space than any cap, so its builds go
// without.
void capMemory(const rlimit &started, unsigned long long bytes)
{
#ifndef ORVANTA_ADDRESS_SANITIZER
    rlimit memory = started;
    if (bytes > 0)
        memory.rlim_cur = std::min<rlim_t>(rlim_t(bytes), started.rlim_cur);
    ::setrlimit(RLIMIT_AS, &memory);
#else
    (void)started;
    (void)bytes;
#endif
}

// Collects the text as the output device hands it over and sends it in pieces.
class TextPieces {
public:
    static void append(void *self, const char *bytes, int length)
    {
        auto *pieces = static_cast<TextPieces *>(self);
        pieces->m_buffer.append(bytes, static_cast<size_t>(length));
        if (pieces->m_buffer.size() >= kPieceBytes)
            pieces->flush();
    }
    static bool failed(void *self) { return static_cast<TextPieces *>(self)->m_failed; }

    void flush()
    {
        if (m_buffer.empty() || m_failed)
            return;
        char head[32];
        std::snprintf(head, sizeof head, "t %zu\n", m_buffer.size());
        m_failed = !sendRecord(head, m_buffer.data(), m_buffer.size());
        m_buffer.clear();
    }
    bool ok() const { return !m_failed; }

private:
    std::string m_buffer;
    bool m_failed = false;
};

std::optional<GooString> passwordOf(const std::string &password)
{
    if (password.empty())
        return std::nullopt;
    return GooString(password);
}

// Opens the PDF and checks that every page its page tree counts can be found: a tree that
// loops or falls short is damage, not a document without text.
std::unique_ptr<PDFDoc> openDocument(const Request &request, Status &status)
{
    const std::optional<GooString> given = passwordOf(request.password);
    std::unique_ptr<PDFDoc> doc =
        PDFDocFactory().createPDFDoc(GooString(request.path), given, given);
    if (!doc->isOk()) {
        status = doc->getErrorCode() == errEncrypted ? kNeedsPassword : kDamaged;
        return nullptr;
    }
    const int pages = doc->getNumPages();
    status = pages < 1 ? kDamaged : kDone;
    for (int page = 1; page <= pages && status == kDone; ++page) {
        if (!doc->getPage(page))
            status = kDamaged;
    }
    return status == kDone ? std::move(doc) : nullptr;
}

// The steps and settings of pdftotext's own main() without options.
Status convert(PDFDoc &doc, TextPieces &pieces)
{
    TextOutputDev output(&TextPieces::append, &pieces, false, 0, false, false);
    if (!output.isOk())
        return kDamaged;
    output.setTextEOL(TextOutputDev::defaultEndOfLine());
    output.setMinColSpacing1(TextOutputDev::minColSpacing1_default);
    // Page by page, as displayPages would, so each page's text leaves as soon as it is done.
    for (int page = 1; page <= doc.getNumPages() && pieces.ok(); ++page) {
        doc.displayPage(&output, page, 72.0, 72.0, 0, true, false, false, &TextPieces::failed,
                        &pieces);
        pieces.flush();
    }
    return kDone;
}

// The resolution at which the page takes at most `mostPixels` pixels, `dpi` at the most.
double fittingDpi(PDFDoc &doc, int page, double dpi, unsigned long long mostPixels)
{
    const double width = doc.getPageMediaWidth(page) / 72.0;
    const double height = doc.getPageMediaHeight(page) / 72.0;
    const auto pixelsAt = [&](double resolution) {
        return std::ceil(width * resolution) * std::ceil(height * resolution);
    };
    if (mostPixels == 0 || pixelsAt(dpi) <= double(mostPixels))
        return dpi;
    double fitting = std::floor(dpi * std::sqrt(double(mostPixels) / pixelsAt(dpi)));
    while (fitting > 1 && pixelsAt(fitting) > double(mostPixels))
        --fitting;
    return std::max(fitting, 1.0);
}

// As pdftoppm -gray draws a page: 8-bit grey on white paper, smoothed text and lines.
Status draw(PDFDoc &doc, const Request &request)
{
    if (request.page < 1 || request.page > doc.getNumPages())
        return kNoSuchPage;
    const double dpi = fittingDpi(doc, request.page, request.dpi, request.mostPixels);
    SplashColor paper;
    paper[0] = 0xff;
    SplashOutputDev output(splashModeMono8, 4, false, paper);
    output.setFontAntialias(true);
    output.setVectorAntialias(true);
    output.startDoc(&doc);
    doc.displayPageSlice(&output, request.page, dpi, dpi, 0, true, false, false, -1, -1, -1, -1);
    const SplashBitmap *bitmap = output.getBitmap();
    const int width = bitmap->getWidth();
    const int height = bitmap->getHeight();
    std::string pixels;
    pixels.reserve(size_t(width) * size_t(height));
    for (int row = 0; row < height; ++row)
        pixels.append(reinterpret_cast<const char *>(bitmap->getDataPtr()) +
                          size_t(row) * size_t(bitmap->getRowSize()),
                      size_t(width));
    char head[64];
    std::snprintf(head, sizeof head, "p %d %d %g\n", width, height, dpi);
    return sendRecord(head, pixels.data(), pixels.size()) ? kDone : kDamaged;
}

bool readExactly(std::string &into, size_t length)
{
    into.resize(length);
    return length == 0 || std::fread(into.data(), 1, length, stdin) == length;
}

bool readRequest(Request &request)
{
    char line[128];
    if (!std::fgets(line, sizeof line, stdin) || !std::strchr(line, '\n'))
        return false;
    size_t pathLength = 0;
    size_t passwordLength = 0;
    if (std::sscanf(line, "text %llu %zu %zu", &request.memory, &pathLength, &passwordLength) ==
        3) {
        request.kind = "text";
    } else if (std::sscanf(line, "draw %llu %d %lf %llu %zu %zu", &request.memory, &request.page,
                           &request.dpi, &request.mostPixels, &pathLength, &passwordLength) == 6 &&
               request.dpi > 0) {
        request.kind = "draw";
    } else {
        return false;
    }
    return readExactly(request.path, pathLength) && readExactly(request.password, passwordLength);
}

Status serve(const Request &request)
{
    Status status = kDone;
    const std::unique_ptr<PDFDoc> doc = openDocument(request, status);
    if (!doc)
        return status;
    if (request.kind == "draw")
        return draw(*doc, request);
    TextPieces pieces;
    status = convert(*doc, pieces);
    return pieces.ok() ? status : kDamaged;
}

} // namespace

int main()
{
    std::signal(SIGABRT, abortHandler);
    globalParams = std::make_unique<GlobalParams>();
    globalParams->setErrQuiet(true);
    rlimit started{};
    ::getrlimit(RLIMIT_AS, &started);
    for (;;) {
        Request request;
        if (!readRequest(request))
            return 0;
        capMemory(started, request.memory);
        Status status = kDone;
        try {
            status = serve(request);
        } catch (const std::bad_alloc &) {
            status = kOutOfMemory;
        }
        capMemory(started, 0);
        if (!sendStatus(status) || status == kOutOfMemory)
            return status == kOutOfMemory ? kOutOfMemory : 2;
    }
}
