#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <map>
#include <vector>

namespace orvanta {

// The converter (pdftotext) ends the text of every page with a form feed. These find the pages
// that gave no text, such as scans, and put the recognised text in their place.

// The 1-based numbers of the pages whose text is only white space (space, tab, line feed,
// vertical tab, carriage return), in page order. Text after the last form feed counts as one
// more page.
std::vector<int> pagesWithoutText(QByteArrayView converted);

// The converted text with the text of each page in `texts` (1-based page number, text) put in
// place of that page's own, encoded as UTF-8; the form feeds stay where they were. Numbers of
// pages that do not exist are ignored.
QByteArray replacePageTexts(QByteArrayView converted, const std::map<int, QString> &texts);

} // namespace orvanta
