// Writes one workbook through the spreadsheet export, for scripts/check-xlsx-libreoffice.sh:
// the list below goes through saveResultsAsExcelFile and the shown workbook is copied to the
// path given on the command line. Exits non-zero when the export reported anything.

#include "ScriptedDialogService.h"
#include "TextTableModel.h"
#include "base/ErrorReport.h"
#include "results/SpreadsheetExport.h"
#include "results/XlsxSpreadsheetProgram.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

using namespace orvanta;

namespace {

class PrintingSink final : public ErrorSink {
public:
    void report(const ErrorReport &report) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(report.message()));
        ++reports;
    }
    int reports = 0;
};

TextTableModel checkList()
{
    return TextTableModel(
        {QStringLiteral("Results"), QStringLiteral(" Word Count"), QStringLiteral("Frequency")},
        {{{QStringLiteral(" the quick brown fox"), QStringLiteral("4"), QStringLiteral("12")},
          true},
         {{QStringLiteral(" not ticked"), QStringLiteral("2"), QStringLiteral("3")}, false},
         {{QStringLiteral(" a = b"), QStringLiteral("=2"), QStringLiteral("1=5")}, true},
         {{QStringLiteral(" end\fof page _x0041_ & <tag> \u00fcber"), QStringLiteral("7"),
           QStringLiteral("2")},
          true},
         {{QStringLiteral(" 0123"), QStringLiteral("1"), QStringLiteral("2")}, true}});
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: xlsx_check_writer OUTPUT.xlsx\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    bool copied = false;
    XlsxSpreadsheetProgram program(
        [&](const QString &path) {
            QFile::remove(output);
            copied = QFile::copy(path, output);
            return copied;
        },
        [] { return true; });
    ScriptedDialogService dialogs;
    PrintingSink sink;
    const TextTableModel list = checkList();
    saveResultsAsExcelFile(list, program, {dialogs, sink, QStringLiteral("Orvanta"), {}, {}},
                           QStringLiteral("in Check.Workbook "));
    return copied && sink.reports == 0 && dialogs.shown.empty() ? 0 : 1;
}
