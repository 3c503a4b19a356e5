#include "filelist/ReferenceMarks.h"

#include <QSet>

#include <algorithm>

namespace orvanta {

MarkChoices markChoices(const std::vector<bool> &selectedMarks)
{
    const auto marked = [](bool mark) { return mark; };
    return {!std::all_of(selectedMarks.begin(), selectedMarks.end(), marked),
            std::any_of(selectedMarks.begin(), selectedMarks.end(), marked)};
}

std::vector<bool> marksOf(const QStringList &paths, const QStringList &referencePaths)
{
    const QSet<QString> references(referencePaths.begin(), referencePaths.end());
    std::vector<bool> marks;
    marks.reserve(size_t(paths.size()));
    for (const QString &path : paths)
        marks.push_back(references.contains(path));
    return marks;
}

QStringList referencePaths(const QStringList &paths, const std::vector<bool> &marks)
{
    QStringList marked;
    QSet<QString> seen;
    for (qsizetype i = 0; i < paths.size() && size_t(i) < marks.size(); ++i) {
        if (marks[size_t(i)] && !seen.contains(paths[i])) {
            seen.insert(paths[i]);
            marked << paths[i];
        }
    }
    return marked;
}

} // namespace orvanta
