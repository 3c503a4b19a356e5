// Writes one workbook through the workbook writer, for scripts/check-xlsx-libreoffice.sh: the
// results list below, its ticked rows, as "Save Results As Excel File" writes it, to the path
// given on the command line. Exits non-zero when the writer failed or left a cell empty.

#include "results/ExportRows.h"
#include "results/ExportWriters.h"
#include "results/ResultsModel.h"

#include <QCoreApplication>

#include <cstdio>

using namespace orvanta;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: xlsx_check_writer OUTPUT.xlsx\n");
        return 2;
    }
    PhraseResults results;
    results.append("the quick brown fox", 4, 12);
    results.append("not ticked", 2, 3);
    results.append("a = b", 3, 15);
    results.append("end\fof page _x0041_ & <tag> \xc3\xbc"
                   "ber",
                   7, 2);
    results.append("0123", 1, 2);
    ResultsModel list;
    list.setResults(std::move(results));
    for (const int row : {0, 2, 3, 4})
        list.setTicked(row, true);

    ListRows rows(list, ListRows::Rows::TickedOnly);
    QStringList skipped;
    const Status written =
        exportToFile(QString::fromLocal8Bit(argv[1]), rows,
                     [&skipped](ExportRows &r, OutputFile &f, std::stop_token stop) {
                         return writeWorkbook(r, f, std::move(stop), &skipped);
                     });
    for (const QString &problem : QStringList{written.error()} + skipped) {
        if (!problem.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(problem));
    }
    return written.ok() && skipped.isEmpty() ? 0 : 1;
}
