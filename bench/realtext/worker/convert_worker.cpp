// A long-lived PDF-to-text converter: reads PDF paths from stdin, one per line, and writes each
// file's text to stdout as pdftotext with its default options would write it to a file.
//
// Each answer is a frame: a header line "STATUS LENGTH\n", then LENGTH bytes of text. STATUS is
// the exit status pdftotext would have had: 0 text follows, 1 the PDF could not be opened
// (damaged, or a password is needed), 99 the document has no pages. Every frame is flushed, so
// the reader can hand a path and wait for its answer. Poppler's messages go nowhere: the status
// says what went wrong, and a parent would otherwise have to drain a second pipe.
//
// It links poppler's internal API (Debian libpoppler-private-dev) and is a benchmark prototype:
// the counting tool still runs pdftotext.

#include <GlobalParams.h>
#include <PDFDoc.h>
#include <PDFDocFactory.h>
#include <TextOutputDev.h>
#include <goo/GooString.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

namespace {

void appendText(void *stream, const char *text, int length)
{
    static_cast<std::string *>(stream)->append(text, static_cast<size_t>(length));
}

// The same steps and settings as poppler 22.12's pdftotext main() without options.
int convert(const std::string &path, std::string &text)
{
    text.clear();
    const std::unique_ptr<PDFDoc> doc = PDFDocFactory().createPDFDoc(GooString(path));
    if (!doc->isOk())
        return 1;
    const int lastPage = doc->getNumPages();
    if (lastPage < 1)
        return 99;
    TextOutputDev output(&appendText, &text, false, 0, false, false);
    if (!output.isOk())
        return 2;
    output.setTextEOL(TextOutputDev::defaultEndOfLine());
    output.setMinColSpacing1(TextOutputDev::minColSpacing1_default);
    doc->displayPages(&output, 1, lastPage, 72.0, 72.0, 0, true, false, false);
    return 0;
}

bool writeFrame(int status, const std::string &text)
{
    if (std::printf("%d %zu\n", status, text.size()) < 0)
        return false;
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
        return false;
    return std::fflush(stdout) == 0;
}

} // namespace

int main()
{
    globalParams = std::make_unique<GlobalParams>();
    globalParams->setErrQuiet(true);
    std::ios::sync_with_stdio(false);

    std::string path;
    std::string text;
    while (std::getline(std::cin, path)) {
        const int status = convert(path, text);
        if (!writeFrame(status, text))
            return 2;
    }
    return 0;
}
