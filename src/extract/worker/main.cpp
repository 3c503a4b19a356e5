// orvanta-convert: converts PDF after PDF to text for the program that started it, exactly as
// pdftotext with its default options would, without a process start per file.
//
// Requests on standard input: "PATHLENGTH PASSWORDLENGTH\n", then the path's and the
// password's bytes (the password is given as both open and owner password when not empty).
// Answers on standard output: "STATUS LENGTH\n", then LENGTH bytes of UTF-8 text, each page
// ended by a form feed. STATUS: 0 converted, 1 the file is damaged or not a PDF, 2 a password is
// needed or the one given is wrong, 99 the document has no pages. Standard input at its end
// ends the program; poppler's complaints go nowhere.

#include <ErrorCodes.h>
#include <GlobalParams.h>
#include <PDFDoc.h>
#include <PDFDocFactory.h>
#include <TextOutputDev.h>
#include <goo/GooString.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace {

enum Status { kConverted = 0, kDamaged = 1, kNeedsPassword = 2, kNoPages = 99 };

void appendText(void *text, const char *bytes, int length)
{
    static_cast<std::string *>(text)->append(bytes, static_cast<size_t>(length));
}

std::optional<GooString> passwordOf(const std::string &password)
{
    if (password.empty())
        return std::nullopt;
    return GooString(password);
}

// The steps and settings of pdftotext's own main() without options.
Status convert(const std::string &path, const std::string &password, std::string &text)
{
    text.clear();
    const std::optional<GooString> given = passwordOf(password);
    const std::unique_ptr<PDFDoc> doc = PDFDocFactory().createPDFDoc(GooString(path), given, given);
    if (!doc->isOk())
        return doc->getErrorCode() == errEncrypted ? kNeedsPassword : kDamaged;
    const int lastPage = doc->getNumPages();
    if (lastPage < 1)
        return kNoPages;
    TextOutputDev output(&appendText, &text, false, 0, false, false);
    if (!output.isOk())
        return kDamaged;
    output.setTextEOL(TextOutputDev::defaultEndOfLine());
    output.setMinColSpacing1(TextOutputDev::minColSpacing1_default);
    doc->displayPages(&output, 1, lastPage, 72.0, 72.0, 0, true, false, false);
    return kConverted;
}

bool readExactly(std::string &into, size_t length)
{
    into.resize(length);
    return length == 0 || std::fread(into.data(), 1, length, stdin) == length;
}

bool readRequest(std::string &path, std::string &password)
{
    size_t pathLength = 0;
    size_t passwordLength = 0;
    if (std::scanf("%zu %zu", &pathLength, &passwordLength) != 2 || std::getchar() != '\n')
        return false;
    return readExactly(path, pathLength) && readExactly(password, passwordLength);
}

bool answer(Status status, const std::string &text)
{
    const std::string body = status == kConverted ? text : std::string();
    if (std::printf("%d %zu\n", int(status), body.size()) < 0)
        return false;
    if (!body.empty() && std::fwrite(body.data(), 1, body.size(), stdout) != body.size())
        return false;
    return std::fflush(stdout) == 0;
}

} // namespace

int main()
{
    globalParams = std::make_unique<GlobalParams>();
    globalParams->setErrQuiet(true);
    std::string path;
    std::string password;
    std::string text;
    while (readRequest(path, password)) {
        if (!answer(convert(path, password, text), text))
            return 2;
    }
    return 0;
}
