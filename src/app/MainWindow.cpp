#include "app/MainWindow.h"

#include "app/BackgroundJob.h"
#include "app/ExplorerWindow.h"
#include "app/InputListWork.h"
#include "app/MainWindowLayout.h"
#include "app/PointerImages.h"
#include "app/ResultsExports.h"
#include "app/RunOptionsPanel.h"
#include "app/RunPreferences.h"
#include "app/StoredChoices.h"
#include "app/StoredNames.h"
#include "app/WindowRunHost.h"
#include "base/DialogService.h"
#include "base/ProgramInfo.h"
#include "base/SettingsStore.h"
#include "documents/TextStore.h"
#include "extract/Converter.h"
#include "filelist/FileAttributes.h"
#include "filelist/FileDrop.h"
#include "filelist/SampleFiles.h"
#include "phrases/LengthList.h"
#include "results/ClipboardExport.h"
#include "results/DesktopOpener.h"
#include "results/LibraryVersions.h"
#include "results/ResultsModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QTreeWidget>

namespace orvanta {

namespace {

namespace keys = stored_names::keys;
namespace operations = stored_names::operations;

QString tag(const char *operation)
{
    return locationTag(QLatin1String(operations::kModule), QLatin1String(operation));
}

bool isEnterKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// What "More:" cannot read, for the status line; empty when it reads every entry.
QString unreadLengthsText(const QString &typed)
{
    const QStringList unread = unreadLengthEntries(typed);
    if (unread.isEmpty())
        return {};
    return QStringLiteral("\"More:\" cannot read \"%1\": type lengths such as 20 or 2-5.")
        .arg(unread.join(QStringLiteral("\", \"")));
}

// What the status line says after a run: the options it used, what "More:" could not read,
// and, with a reference set, that the list counts both sets together.
QString runStatusText(const QString &options, const QString &lengthsNote,
                      const std::vector<FileSet> &sets)
{
    QStringList parts{options, lengthsNote};
    if (!sets.empty())
        parts << QLatin1String(kBothSetsNote);
    parts.removeAll(QString());
    return parts.join(QLatin1Char(' ')).trimmed();
}

} // namespace

MainWindow::MainWindow(DialogService &dialogs, SettingsStore &settings, QString dataDir,
                       QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_dataDir(std::move(dataDir))
    , m_store(std::make_unique<TextStore>())
{
    setObjectName(QLatin1String(stored_names::objects::kMainWindow));
    m_runJob = new BackgroundJob(this);
    m_results = new ResultsModel(this);
    m_runHost = new WindowRunHost(
        dialogs, applicationTitle(),
        [this](const RunProgress &progress) { showProgress(progress); }, this);
    m_run =
        std::make_unique<CountingRun>(*m_runHost, *m_runHost, *m_store, tag(operations::kCount));
    m_admission = std::make_unique<AdmissionCheck>(*m_store);
    m_inputWork = new InputListWork(*m_admission, *m_runHost, this);
    connect(m_inputWork, &InputListWork::progress, this,
            [this](const QString &text) { m_status->setText(text); });
    connect(m_inputWork, &InputListWork::walkFinished, this, &MainWindow::walkFinished);
    connect(m_inputWork, &InputListWork::checkFinished, this, &MainWindow::finishAdmissionCheck);
    connect(m_inputWork, &InputListWork::checkWanted, this, &MainWindow::runAdmissionCheck);
    m_exports = new ResultsExports(*m_results,
                                   {dialogs, *m_runHost, applicationTitle(),
                                    [this](PointerMode mode) { setPointerMode(mode); }},
                                   this);
    connect(m_exports, &ResultsExports::finished, this, &MainWindow::exportFinished);
    createControls();
}

MainWindow::~MainWindow()
{
    cancelWork();
    delete m_inputWork; // before the check it uses
    delete m_explorer;  // before the results its lists show
    m_explorer = nullptr;
}

QString MainWindow::applicationTitle()
{
    // The product name has no blank to cut at, so the title is the whole name.
    return QStringLiteral("Orvanta");
}

ErrorSink &MainWindow::errorSink()
{
    return *m_runHost;
}

// Start-up and shutdown

void MainWindow::startUp()
{
    applySkin();
    applyIcon();
    m_handCursor = loadCursorFile(m_dataDir + QStringLiteral("/HAND-M.CUR"));
    refreshSamplesSnapshot(m_dataDir, m_settings);
    setWindowTitle(QStringLiteral("Orvanta"));
    QApplication::setApplicationDisplayName(applicationTitle());
    restoreWindowPlace();
    m_inputList->setHeaderLabels({QStringLiteral("PDF File(s)")});
    m_inputList->setColumnWidth(0, scaled(467));
    m_resultsList->setColumnWidth(0, scaled(233));
    m_resultsList->setColumnWidth(1, scaled(113));
    m_resultsList->setColumnWidth(2, scaled(113));
    restorePreferences();
    checkConverterAtStartUp();
}

void MainWindow::applySkin()
{
    QFile skin(m_dataDir + QStringLiteral("/x/o.cjs"));
    if (skin.open(QIODevice::ReadOnly | QIODevice::Text))
        setStyleSheet(QString::fromUtf8(skin.readAll()));
}

void MainWindow::checkConverterAtStartUp()
{
    const Result<Converter> converter = Converter::locate();
    const Status folder = converter.ok() ? m_store->prepare() : Status();
    const QString problem = converter.ok() ? folder.error() : converter.error();
    if (!problem.isEmpty())
        m_dialogs.message(problem, applicationTitle(), DialogService::Icon::Warning);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    cancelWork();
    storeWindowPlace();
    if (m_explorer)
        m_explorer->close();
    m_store->clear(); // the texts of confidential documents do not outlive the window
    event->accept();
}

void MainWindow::cancelWork()
{
    m_run->cancel();
    m_runJob->waitForEnd();
    m_exports->stop();
    m_inputWork->cancel();
    if (m_explorer)
        m_explorer->stopWork(); // its searches read the texts the store is about to drop
}

// Pointer

void MainWindow::setPointerMode(int mode)
{
    m_pointerMode = mode;
    if (m_stopButton)
        showStopWhileBusy();
    switch (mode) {
    case ArrowPointer:
        setCursor(Qt::ArrowCursor);
        break;
    case Hourglass:
        setCursor(Qt::WaitCursor);
        break;
    case HandPointer:
        if (m_handCursor)
            setCursor(*m_handCursor);
        else
            unsetCursor();
        break;
    default:
        unsetCursor();
        break;
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (!isBusy())
            setPointerMode(qobject_cast<QPushButton *>(watched) ? HandPointer : DefaultPointer);
    }
    if (m_inputList && watched == m_inputList->viewport() && isDropEvent(event->type()))
        return handleDrop(event);
    if (watched == m_inputList && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        removeCurrentInput();
        return true;
    }
    if (watched == m_resultsList && isEnterKey(event)) {
        openExplorerOnCurrentRow();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::escapePressed()
{
    if (!m_countingBusy && !isChecking() && !m_inputWork->isWalking())
        return;
    cancelWork();
    m_status->setText(QStringLiteral("Cancelled."));
    showStopWhileBusy();
}

void MainWindow::showStopWhileBusy()
{
    m_stopButton->setVisible(m_countingBusy || isChecking() || m_inputWork->isWalking());
    if (m_stopButton->isVisible())
        m_stopButton->raise();
}

void MainWindow::showRunSummary()
{
    if (!m_lastRun) {
        m_summary->clear();
        return;
    }
    m_lastRun->phrases = std::uint64_t(m_results->rowCount());
    m_summary->setText(runSummaryText(*m_lastRun));
}

// Admission check

bool MainWindow::isChecking() const
{
    return m_inputWork->isChecking();
}

void MainWindow::runAdmissionCheck()
{
    setPointerMode(Hourglass);
    m_inputWork->check(inputFiles());
    showStopWhileBusy();
}

void MainWindow::finishAdmissionCheck(const AdmissionResult &result)
{
    setPointerMode(DefaultPointer);
    clearProgress();
    if (!result.converterProblem.isEmpty())
        m_dialogs.message(result.converterProblem, applicationTitle(),
                          DialogService::Icon::Warning);
    else if (!result.notice.isEmpty())
        m_dialogs.message(
            withRecognitionHint(result.notice, m_runOptions->preferences().readScannedPages),
            applicationTitle());
    if (!m_runOptions->preferences().readScannedPages)
        m_status->setText(scannedFilesHint(result.scannedFiles));
    showStopWhileBusy();
    emit admissionCheckFinished();
}

// Counting run

void MainWindow::startCounting()
{
    if (m_countingBusy)
        return;
    m_countingBusy = true;
    ChosenLengths ticked{};
    for (int i = 0; i < kListedLengthCount; ++i)
        ticked[size_t(i)] = m_lengthBoxes[size_t(i)]->isChecked();
    const std::vector<int> lengths = buildLengthList(ticked, m_extraLengths->text());
    const QString lengthsNote = unreadLengthsText(m_extraLengths->text());
    CountingRunOptions options;
    options.promptForPassword = m_promptForPassword->isChecked();
    m_runOptions->preferences().applyTo(options);
    // The explorer's DP needs counts by file, which a count within a memory limit cannot keep.
    options.countsPerFile = options.memoryLimit == 0;
    const QStringList paths = inputFiles();
    std::vector<FileSet> sets = fileSetsOf(inputMarks());
    setPointerMode(Hourglass);
    m_runClock.start();
    m_runJob->start(
        [this, paths, lengths, options] { m_runOutcome = m_run->run(paths, lengths, options); },
        [this, options, lengthsNote, sets = std::move(sets)]() mutable {
            finishCounting(options, lengthsNote, std::move(sets));
        });
}

// A finished run's phrases replace the list, and the closing notice names the files that failed;
// a cancelled or refused one leaves the list as it was.
void MainWindow::finishCounting(const CountingRunOptions &options, const QString &lengthsNote,
                                std::vector<FileSet> sets)
{
    RunOutcome outcome = std::exchange(m_runOutcome, {});
    const bool counted = outcome.finished();
    if (counted) {
        m_results->setResults(std::move(outcome.phrases));
        m_countedSources = std::move(outcome.sources);
        m_countedOptions = options.text;
        m_lastRun = RunSummary{outcome.corpus.files, outcome.corpus.words, 0, m_runClock.elapsed()};
        showRunSummary();
        m_countedCorpus = std::move(outcome.corpus);
        m_countedSets = std::move(sets);
        if (m_explorer) {
            m_explorer->setCountedTexts(m_countedSources, m_countedOptions);
            m_explorer->setCorpus(m_countedCorpus, m_countedSets);
        }
    }
    clearProgress();
    if (counted)
        m_status->setText(runStatusText(runOptionsSummary(options), lengthsNote, m_countedSets));
    setPointerMode(DefaultPointer);
    if (counted)
        m_dialogs.message(
            closingNoticeWithHint(outcome.failures, !options.recognitionLanguages.isEmpty()),
            applicationTitle());
    m_countingBusy = false;
    showStopWhileBusy();
    emit countingFinished();
}

void MainWindow::showProgress(const RunProgress &progress)
{
    switch (progress.stage) {
    case RunProgress::Stage::Converting:
        m_status->setText(QStringLiteral("%1 %2 of %3: %4")
                              .arg(progress.fromStore ? QStringLiteral("Reading (converted before)")
                                                      : QStringLiteral("Converting"))
                              .arg(progress.fileIndex)
                              .arg(progress.fileCount)
                              .arg(QFileInfo(progress.path).fileName()));
        m_progress->setRange(0, progress.fileCount);
        m_progress->setValue(progress.fileIndex - 1);
        break;
    case RunProgress::Stage::Recognising:
        m_status->setText(QStringLiteral("Recognising page %1 of %2: %3")
                              .arg(progress.fileIndex)
                              .arg(progress.fileCount)
                              .arg(QFileInfo(progress.path).fileName()));
        m_progress->setRange(0, progress.fileCount);
        m_progress->setValue(progress.fileIndex);
        break;
    case RunProgress::Stage::Counting:
        m_status->setText(QStringLiteral("Counting phrases..."));
        m_progress->setRange(0, 0);
        break;
    case RunProgress::Stage::FindingPassages:
        m_status->setText(QStringLiteral("Finding repeated passages..."));
        m_progress->setRange(0, 0);
        break;
    case RunProgress::Stage::Ordering:
        m_status->setText(QStringLiteral("Sorting and filling the results list..."));
        m_progress->setRange(0, 0);
        break;
    }
    m_summary->hide(); // the bar takes its place while the run lasts
    m_progress->show();
}

void MainWindow::clearProgress()
{
    m_status->clear();
    m_progress->hide();
    m_summary->show();
}

// Results list

void MainWindow::clearResults()
{
    TrappedOperation operation(tag(operations::kClearResults), errorSink());
    operation.step([&] { m_results->clear(); });
    m_lastRun.reset();
    showRunSummary();
}

void MainWindow::removeCurrentResult()
{
    if (isBusy() || m_results->rowCount() == 0)
        return;
    const QModelIndex current = m_resultsList->currentIndex();
    if (current.isValid())
        m_results->removeRowAt(current.row());
}

// Explorer

void MainWindow::openExplorer(int row)
{
    if (!m_explorer) {
        m_explorer = new ExplorerWindow(*m_results, *m_store, m_dialogs, applicationTitle(), this);
        m_explorer->setCountedTexts(m_countedSources, m_countedOptions);
        m_explorer->setCorpus(m_countedCorpus, m_countedSets);
        m_explorer->setDataFolder(m_dataDir);
        m_explorer->setDocumentOpener(m_openDocument ? m_openDocument : openWithDesktopProgram);
        if (m_explorerState)
            m_explorer->setState(*m_explorerState);
    }
    m_explorer->show();
    m_explorer->raise();
    m_explorer->activateWindow();
    if (row >= 0 && row < m_results->rowCount())
        m_explorer->showResult(m_results->resultAt(row));
}

void MainWindow::setDocumentOpener(std::function<bool(const QString &)> open)
{
    m_openDocument = std::move(open);
    if (m_explorer)
        m_explorer->setDocumentOpener(m_openDocument ? m_openDocument : openWithDesktopProgram);
}

// Exports

void MainWindow::saveResultsAsText()
{
    m_exports->saveAsText(tag(operations::kSaveText));
}

void MainWindow::copyResultsToClipboard()
{
    SystemClipboard clipboard(*QGuiApplication::clipboard());
    m_exports->copyToClipboard(clipboard, tag(operations::kCopyToClipboard));
}

void MainWindow::exportResultsToWorkbook()
{
    m_exports->openInSpreadsheet(tag(operations::kExportWorkbook));
}

void MainWindow::setWorkbookOpener(std::function<bool(const QString &)> open)
{
    m_exports->setWorkbookOpener(std::move(open));
}

void MainWindow::extraLengthsChanged()
{
    const QString note = unreadLengthsText(m_extraLengths->text());
    if (!note.isEmpty() || m_status->text().startsWith(QLatin1String("\"More:\"")))
        m_status->setText(note);
    storePreference(QLatin1String(keys::kExtraLengths), m_extraLengths->text());
}

} // namespace orvanta
