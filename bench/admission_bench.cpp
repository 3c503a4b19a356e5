// Times the admission check when one new PDF joins 200 whose verdicts are remembered, against
// one plain conversion of that PDF. The difference is what the check adds to the conversion.
//
// usage: bench_admission FOLDER [ROUNDS]     (default 3 rounds)
//        bench_admission --whole FOLDER
//
// With --whole, times the check of all the folder's PDFs with an empty text store, as when a
// user adds them all at once, against pdftotext over the same files one after another. The check
// converts as the window does when ORVANTA_CONVERT_WORKER names the build's orvanta-convert.
//
// The list holds the folder's first 200 PDFs, made up with copies in a temporary folder when
// there are fewer. After a warm-up check of the 200, each round adds a fresh copy of the
// folder's smallest PDF, times the check of the 201 paths, then times pdftotext on that copy.

#include "base/ErrorReport.h"
#include "documents/TextStore.h"
#include "extract/ProcessRunner.h"
#include "run/AdmissionCheck.h"

#include "BenchTiming.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

using orvanta::bench::fail;
using orvanta::bench::pdfsIn;
using orvanta::bench::secondsOf;

constexpr int kListSize = 200;
constexpr double kOverheadTarget = 0.1;

struct Round {
    double check = 0;
    double plain = 0;
    double idleCheck = 0;
    int conversions = 0;
    double overhead() const { return check - plain; }
};

QString copyOf(const QString &source, const QString &target)
{
    if (!QFile::copy(source, target))
        fail(QStringLiteral("cannot copy %1 to %2").arg(source, target));
    return target;
}

QStringList listOf200(const QStringList &pdfs, const QTemporaryDir &scratch)
{
    QStringList list = pdfs.mid(0, kListSize);
    for (qsizetype i = list.size(); i < kListSize; ++i) {
        const QString &source = pdfs[i % pdfs.size()];
        const QString name = QStringLiteral("copy-%1-").arg(i) + QFileInfo(source).fileName();
        list << copyOf(source, scratch.filePath(name));
    }
    return list;
}

QString smallest(const QStringList &pdfs)
{
    return *std::min_element(pdfs.begin(), pdfs.end(), [](const QString &a, const QString &b) {
        return QFileInfo(a).size() < QFileInfo(b).size();
    });
}

void expectAdmitted(const orvanta::AdmissionResult &result)
{
    if (!result.converterProblem.isEmpty())
        fail(result.converterProblem);
    if (!result.rejected.isEmpty())
        fail(QStringLiteral("rejected: %1").arg(result.rejected.join(QStringLiteral(", "))));
}

// pdftotext itself, whichever converter the check uses.
QString plainConverter()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (program.isEmpty())
        fail(QStringLiteral("pdftotext is not installed"));
    return program;
}

class AdmissionBench {
public:
    AdmissionBench(const QStringList &pdfs, const QTemporaryDir &scratch)
        : m_scratch(scratch)
        , m_list(listOf200(pdfs, scratch))
        , m_newSource(smallest(pdfs))
        , m_converter(plainConverter())
        , m_check(m_store)
    {
    }

    void warmUp()
    {
        orvanta::AdmissionResult result;
        const double seconds = secondsOf([&] { result = m_check.check(m_list); });
        expectAdmitted(result);
        std::printf("warm-up check of %lld paths: %.3f s, %d conversions\n",
                    qlonglong(m_list.size()), seconds, m_store.conversions());
        std::printf("new PDF each round: a fresh copy of %s (%lld bytes)\n",
                    qPrintable(QFileInfo(m_newSource).fileName()),
                    qlonglong(QFileInfo(m_newSource).size()));
    }

    Round measure(int index)
    {
        const QString fresh =
            copyOf(m_newSource, m_scratch.filePath(QStringLiteral("new-%1.pdf").arg(index)));
        const QStringList paths = m_list + QStringList{fresh};
        Round round;
        orvanta::AdmissionResult result;
        const int before = m_store.conversions();
        round.check = secondsOf([&] { result = m_check.check(paths); });
        round.conversions = m_store.conversions() - before;
        expectAdmitted(result);
        round.idleCheck = secondsOf([&] { result = m_check.check(paths); });
        expectAdmitted(result);
        round.plain = secondsOf([&] { convertPlainly(fresh, index); });
        return round;
    }

private:
    void convertPlainly(const QString &pdf, int index)
    {
        const QString text = m_scratch.filePath(QStringLiteral("plain-%1.txt").arg(index));
        const int code = orvanta::runProcess(m_converter, {pdf, text});
        if (code != 0)
            fail(QStringLiteral("pdftotext ended with %1 on %2").arg(code).arg(pdf));
    }

    const QTemporaryDir &m_scratch;
    QStringList m_list;
    QString m_newSource;
    QString m_converter;
    orvanta::TextStore m_store;
    orvanta::AdmissionCheck m_check;
};

double minimum(std::vector<double> values)
{
    return *std::min_element(values.begin(), values.end());
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

template <typename Field>
void printFigure(const char *label, const std::vector<Round> &rounds, Field field)
{
    std::vector<double> values;
    for (const Round &round : rounds)
        values.push_back(field(round));
    std::printf("%-40s min %.3f s   median %.3f s\n", label, minimum(values), median(values));
}

void printSummary(const std::vector<Round> &rounds)
{
    std::printf("\n");
    printFigure("check of 201 paths, 1 new", rounds, [](const Round &r) { return r.check; });
    printFigure("plain conversion of the new PDF", rounds, [](const Round &r) { return r.plain; });
    printFigure("check of 201 paths, none new", rounds, [](const Round &r) { return r.idleCheck; });
    printFigure("overhead (check - conversion)", rounds,
                [](const Round &r) { return r.overhead(); });
    std::vector<double> overheads;
    for (const Round &round : rounds)
        overheads.push_back(round.overhead());
    const double typical = median(overheads);
    std::printf("%-40s %.3f s   target < %.1f s   %s\n", "median overhead", typical,
                kOverheadTarget, typical < kOverheadTarget ? "met" : "MISSED");
}

constexpr double kWholeTarget = 0.55;

int runWhole(const QString &folder)
{
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/admission-bench-XXXXXX"));
    if (!scratch.isValid())
        fail(QStringLiteral("cannot create a temporary folder: %1").arg(scratch.errorString()));
    const QStringList pdfs = pdfsIn(folder);
    orvanta::TextStore store;
    orvanta::AdmissionCheck check(store);
    orvanta::AdmissionResult result;
    const double checked = secondsOf([&] { result = check.check(pdfs); });
    if (!result.converterProblem.isEmpty())
        fail(result.converterProblem);
    const QString converter = plainConverter();
    const double plain = secondsOf([&] {
        for (qsizetype i = 0; i < pdfs.size(); ++i) {
            const QString text = scratch.filePath(QStringLiteral("plain-%1.txt").arg(i));
            if (orvanta::runProcess(converter, {pdfs[i], text}) != 0)
                fail(QStringLiteral("pdftotext failed on %1").arg(pdfs[i]));
        }
    });
    const double ratio = checked / plain;
    std::printf("check of %lld PDFs (%lld rejected): %.3f s; pdftotext one by one: %.3f s\n",
                qlonglong(pdfs.size()), qlonglong(result.rejected.size()), checked, plain);
    std::printf("ratio %.3f   target at most %.2f   %s\n", ratio, kWholeTarget,
                ratio <= kWholeTarget ? "met" : "MISSED");
    return 0;
}

int run(const QString &folder, int roundCount)
{
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/admission-bench-XXXXXX"));
    if (!scratch.isValid())
        fail(QStringLiteral("cannot create a temporary folder: %1").arg(scratch.errorString()));
    AdmissionBench bench(pdfsIn(folder), scratch);
    bench.warmUp();
    std::vector<Round> rounds;
    for (int i = 1; i <= roundCount; ++i) {
        const Round round = bench.measure(i);
        std::printf("round %d: check %.3f s (%d conversion), plain conversion %.3f s, "
                    "overhead %.3f s, check with none new %.3f s\n",
                    i, round.check, round.conversions, round.plain, round.overhead(),
                    round.idleCheck);
        rounds.push_back(round);
    }
    printSummary(rounds);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("--whole"))
        return runWhole(arguments[2]);
    bool roundsOk = true;
    const int rounds = arguments.size() > 2 ? arguments[2].toInt(&roundsOk) : 3;
    if (arguments.size() < 2 || arguments.size() > 3 || !roundsOk || rounds < 1) {
        std::fprintf(stderr, "usage: bench_admission FOLDER [ROUNDS] | --whole FOLDER\n");
        return 2;
    }
    try {
        return run(arguments[1], rounds);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_admission: %s\n", error.what());
        return 1;
    }
}
