#pragma once

// The arguments of the benchmarks that count text files: [-l LENGTHS] FILE...

#include "phrases/LengthList.h"

#include <QByteArrayView>
#include <QString>

#include <cstdio>
#include <optional>
#include <vector>

namespace orvanta::bench {

struct CountArguments {
    std::vector<int> lengths; // 2-5 unless -l says otherwise
    std::vector<const char *> files;
};

// The arguments, or nothing after printing the usage line of `program`.
inline std::optional<CountArguments> countArguments(int argc, char **argv, const char *program)
{
    QString lengthText = QStringLiteral("2-5");
    int first = 1;
    if (argc > 2 && QByteArrayView(argv[1]) == "-l") {
        lengthText = QString::fromLocal8Bit(argv[2]);
        first = 3;
    }
    Result<std::vector<int>> lengths = parseLengthRanges(lengthText);
    if (!lengths.ok() || first >= argc) {
        std::fprintf(stderr, "usage: %s [-l LENGTHS] FILE...\n", program);
        return std::nullopt;
    }
    return CountArguments{std::move(*lengths),
                          std::vector<const char *>(argv + first, argv + argc)};
}

} // namespace orvanta::bench
