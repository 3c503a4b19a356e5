#include "run/MemoryShortage.h"

#include "extract/Converter.h"

#include <sys/resource.h>
#include <unistd.h>

namespace orvanta {

QString memoryLimitText()
{
    rlimit space{};
    if (::getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY)
        return QStringLiteral("this process may use %1 of address space (ulimit -v)")
            .arg(describeMemoryLimit(qint64(space.rlim_cur)));
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return QStringLiteral("the machine's memory was not enough");
    return QStringLiteral("this machine has %1 of memory")
        .arg(describeMemoryLimit(qint64(pages) * pageSize));
}

QString outOfMemoryText(const QString &doing)
{
    return QStringLiteral("Out of memory while %1: %2; count fewer files or lengths at once")
        .arg(doing, memoryLimitText());
}

} // namespace orvanta
