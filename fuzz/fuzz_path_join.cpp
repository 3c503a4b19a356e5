// Separator collapsing on any path, against a plain rewrite of the rule.
#include "FuzzSupport.h"
#include "filelist/PathJoin.h"

using namespace orvanta;
using namespace orvanta::fuzz;

namespace {

// Leading run replaced by `leading` separators; after it, each separator swallows the one right
// after it.
QString plainCollapse(const QString &path, QChar separator, int leading)
{
    qsizetype i = 0;
    while (i < path.size() && path[i] == separator)
        ++i;
    QString result = i > 0 ? QString(leading, separator) : QString();
    while (i < path.size()) {
        result += path[i];
        i += (path[i] == separator && i + 1 < path.size() && path[i + 1] == separator) ? 2 : 1;
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = QString::fromUtf8(bytes(data, size));
    const QString slashes = collapseSlashes(path);
    check(slashes == plainCollapse(path, QLatin1Char('/'), 1), "collapseSlashes", path);
    check(QString(slashes).remove(QLatin1Char('/')) == QString(path).remove(QLatin1Char('/')),
          "only slashes change");
    return 0;
}
