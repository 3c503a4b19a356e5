#include "extract/ScannedPages.h"

#include <algorithm>

namespace orvanta {

namespace {

// The page texts without their form feeds; empty text after the last form feed is no page.
std::vector<QByteArrayView> splitPages(QByteArrayView converted)
{
    std::vector<QByteArrayView> pages;
    qsizetype start = 0;
    for (qsizetype end; (end = converted.indexOf('\f', start)) >= 0; start = end + 1)
        pages.push_back(converted.sliced(start, end - start));
    if (start < converted.size())
        pages.push_back(converted.sliced(start));
    return pages;
}

bool isBlank(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\r';
    });
}

} // namespace

std::vector<int> pagesWithoutText(QByteArrayView converted)
{
    const std::vector<QByteArrayView> pages = splitPages(converted);
    std::vector<int> blank;
    for (size_t i = 0; i < pages.size(); ++i) {
        if (isBlank(pages[i]))
            blank.push_back(int(i) + 1);
    }
    return blank;
}

QByteArray replacePageTexts(QByteArrayView converted, const std::map<int, QString> &texts)
{
    const std::vector<QByteArrayView> pages = splitPages(converted);
    QByteArray result;
    result.reserve(converted.size());
    qsizetype pos = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        const auto replacement = texts.find(int(i) + 1);
        if (replacement == texts.end())
            result += pages[i];
        else
            result += replacement->second.toUtf8();
        pos += pages[i].size();
        if (pos < converted.size()) { // the page's form feed
            result += '\f';
            ++pos;
        }
    }
    return result;
}

} // namespace orvanta
