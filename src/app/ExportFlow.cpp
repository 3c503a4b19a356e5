#include "app/ExportFlow.h"

#include "app/BackgroundJob.h"
#include "base/DialogService.h"
#include "base/ErrorReport.h"
#include "base/FileHelpers.h"
#include "results/ExportRows.h"

#include <QFileInfo>

namespace orvanta {

namespace {

// The number of the flow's step that its reports name: the write.
constexpr int kWriteLine = 102;

// The workbook writer names the cells it leaves empty in `skipped`.
ExportWriter writerFor(ExportFlow::Format format, std::shared_ptr<QStringList> skipped)
{
    switch (format) {
    case ExportFlow::Format::Text:
        return writeText;
    case ExportFlow::Format::Csv:
        return writeCsv;
    case ExportFlow::Format::Workbook:
        break;
    }
    return [skipped](ExportRows &rows, OutputFile &file, std::stop_token stop) {
        return writeWorkbook(rows, file, std::move(stop), skipped.get());
    };
}

} // namespace

QString overwriteQuestion(const QString &path)
{
    return QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?");
}

ExportFlow::ExportFlow(DialogService &dialogs, QString title, QObject *parent)
    : QObject(parent)
    , m_dialogs(dialogs)
    , m_title(std::move(title))
    , m_job(new BackgroundJob(this))
{
}

ExportFlow::~ExportFlow()
{
    stop();
}

QString ExportFlow::askPath(const QString &dialogTitle, const QString &filter,
                            const QString &suffix)
{
    QString path = m_dialogs.saveFile(dialogTitle, filter);
    if (path.isEmpty())
        return {};
    if (!suffix.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + suffix;
    if (fileExists(path) && !m_dialogs.question(overwriteQuestion(path), m_title))
        return {};
    return path;
}

bool ExportFlow::start(const QString &path, std::shared_ptr<ExportRows> rows, Format format,
                       const Reporting &reporting, Done done)
{
    if (m_job->isRunning())
        return false;
    m_stop = std::stop_source();
    auto status = std::make_shared<Status>();
    const qsizetype count = rows->rowCount();
    auto skipped = std::make_shared<QStringList>();
    return m_job->start(
        [path, rows, write = writerFor(format, skipped), status, stop = m_stop.get_token()] {
            try {
                *status = exportToFile(path, *rows, write, stop);
            } catch (const std::bad_alloc &) {
                *status = Failure{QStringLiteral("Out of memory while writing %1").arg(path)};
            } catch (const std::exception &error) {
                *status = Failure{QString::fromUtf8(error.what())};
            }
        },
        [this, path, status, skipped, count, reporting, done = std::move(done)] {
            if (!status->ok())
                report(reporting, status->error());
            for (const QString &cell : *skipped)
                report(reporting, cell);
            if (done)
                done({path, status->ok(), count});
        });
}

void ExportFlow::report(const Reporting &reporting, const QString &text)
{
    if (reporting.errors)
        reporting.errors->report({text, reporting.locationTag, kWriteLine});
    else
        m_dialogs.message(text, m_title, DialogService::Icon::Warning);
}

bool ExportFlow::isRunning() const
{
    return m_job->isRunning();
}

void ExportFlow::stop()
{
    m_stop.request_stop();
    m_job->waitForEnd();
}

} // namespace orvanta
