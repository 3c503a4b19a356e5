// The main window's projects: the File menu, saving the session to a .orvanta file and opening
// one again, and the projects opened last.

#include "app/MainWindow.h"

#include "app/BackgroundJob.h"
#include "app/ExplorerWindow.h"
#include "app/InputListWork.h"
#include "app/ProjectFile.h"
#include "app/RunOptionsPanel.h"
#include "app/RunPreferences.h"
#include "app/StoredNames.h"
#include "base/DialogService.h"
#include "base/SettingsStore.h"
#include "filelist/ReferenceMarks.h"
#include "results/ResultsModel.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>

namespace orvanta {

namespace {

namespace keys = stored_names::keys;
namespace objects = stored_names::objects;

constexpr int kMostRecentProjects = 8;

} // namespace

void MainWindow::createMenu()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QLatin1String(objects::kMenuBar));
    QMenu *file = m_menuBar->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open Project..."), QKeySequence(Qt::CTRL | Qt::Key_P), this,
                    &MainWindow::chooseProjectToOpen);
    file->addAction(QStringLiteral("&Save Project..."),
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this,
                    &MainWindow::chooseProjectToSave);
    m_recentMenu = file->addMenu(QStringLiteral("&Recent Projects"));
    m_recentMenu->setObjectName(QLatin1String(objects::kRecentProjectsMenu));
    connect(m_recentMenu, &QMenu::aboutToShow, this, &MainWindow::showRecentProjects);
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, &QWidget::close);
}

void MainWindow::chooseProjectToSave()
{
    QString path =
        m_dialogs.saveFile(QStringLiteral("Save Project"), QLatin1String(kProjectFilter));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".orvanta");
    saveProject(path);
}

void MainWindow::chooseProjectToOpen()
{
    const QStringList chosen =
        m_dialogs.openFiles(QStringLiteral("Open Project"), QLatin1String(kProjectFilter));
    if (!chosen.isEmpty())
        openProject(chosen.first());
}

bool MainWindow::saveProject(const QString &path)
{
    Project project;
    project.files = inputFiles();
    project.referenceFiles = referencePaths(project.files, inputMarks());
    for (int i = 0; i < kListedLengthCount; ++i)
        project.lengths[size_t(i)] = m_lengthBoxes[size_t(i)]->isChecked();
    project.moreLengths = m_extraLengths->text();
    project.promptForPassword = m_promptForPassword->isChecked();
    project.runOptions = m_runOptions->preferences().entries();
    const PhraseResults &phrases = *m_results->phrases();
    for (qsizetype id = 0; id < phrases.size(); ++id) {
        if (!m_results->isListed(std::uint32_t(id)))
            project.removed.push_back(std::uint32_t(id));
        else if (m_results->isResultTicked(std::uint32_t(id)))
            project.ticked.push_back(std::uint32_t(id));
    }
    project.results.append(phrases);
    project.explorer = m_explorer ? m_explorer->state() : m_explorerState.value_or(ExplorerState{});
    project.summary = m_lastRun;
    const Result<void> written = writeProject(path, project);
    if (!written) {
        m_dialogs.message(written.error(), applicationTitle(), DialogService::Icon::Warning);
        return false;
    }
    rememberProject(path);
    m_status->setText(QStringLiteral("Project saved as %1").arg(path));
    return true;
}

bool MainWindow::openProject(const QString &path)
{
    if (m_countingBusy || isChecking() || m_inputWork->isWalking()) {
        m_dialogs.message(QStringLiteral("Stop the work under way before opening a project."),
                          applicationTitle());
        return false;
    }
    Result<Project> project = readProject(path);
    if (!project) {
        m_dialogs.message(project.error(), applicationTitle(), DialogService::Icon::Warning);
        return false;
    }
    rememberProject(path);
    applyProject(*project);
    const QStringList missing = missingFiles(*project);
    if (!missing.isEmpty())
        m_dialogs.message(QStringLiteral("These files of the project are no longer where they "
                                         "were, and are left off the list:\r\n\r\n") +
                              missing.join(QStringLiteral("\r\n")),
                          applicationTitle(), DialogService::Icon::Warning);
    // Every file, so that the per-file counts find their files where the run had them.
    readProjectTexts(project->files);
    return true;
}

// The project's choices are the window's from now on, stored as if chosen by hand.
void MainWindow::applyProject(Project &project)
{
    m_inputList->clear();
    for (const QString &path : project.files) {
        if (QFileInfo(path).isFile())
            m_inputList->addTopLevelItem(new QTreeWidgetItem(QStringList{path}));
    }
    markInputs(project.referenceFiles);
    for (int i = 0; i < kListedLengthCount; ++i)
        m_lengthBoxes[size_t(i)]->setChecked(project.lengths[size_t(i)]);
    m_extraLengths->setText(project.moreLengths);
    m_promptForPassword->setChecked(project.promptForPassword);
    promptForPasswordChanged();
    m_runOptions->setPreferences(RunPreferences::read(project.runOptions));
    runOptionsChanged();
    m_results->setResults(std::move(project.results));
    m_results->removeResults(project.removed);
    m_results->setResultsTicked(project.ticked, true);
    m_lastRun = project.summary;
    showRunSummary();
    m_countedSources.clear();
    m_countedCorpus = {};
    // By the project's files, which its per-file counts follow.
    m_countedSets = fileSetsOf(marksOf(project.files, project.referenceFiles));
    m_explorerState = project.explorer;
    if (m_explorer) {
        m_explorer->setCountedTexts({}, {});
        m_explorer->setCorpus(m_countedCorpus, m_countedSets);
        m_explorer->setState(project.explorer);
    }
}

// The explorer's searches need the texts: from the store, or converted again when a PDF changed.
void MainWindow::readProjectTexts(const QStringList &paths)
{
    if (paths.isEmpty()) {
        emit projectOpened();
        return;
    }
    m_countingBusy = true;
    CountingRunOptions options;
    options.readsOnly = true;
    options.promptForPassword = m_promptForPassword->isChecked();
    m_runOptions->preferences().applyTo(options);
    options.countsPerFile = options.memoryLimit == 0; // the words of each file, for DP
    setPointerMode(Hourglass);
    m_runJob->start([this, paths, options] { m_runOutcome = m_run->run(paths, {}, options); },
                    [this, options] {
                        m_countedOptions = options.text;
                        finishReadingProject();
                    });
}

void MainWindow::finishReadingProject()
{
    RunOutcome outcome = std::exchange(m_runOutcome, {});
    if (outcome.finished()) {
        m_countedSources = std::move(outcome.sources);
        m_countedCorpus = std::move(outcome.corpus);
        if (m_explorer) {
            m_explorer->setCountedTexts(m_countedSources, m_countedOptions);
            m_explorer->setCorpus(m_countedCorpus, m_countedSets);
        }
    }
    clearProgress();
    setPointerMode(DefaultPointer);
    m_countingBusy = false;
    showStopWhileBusy();
    emit projectOpened();
}

void MainWindow::rememberProject(const QString &path)
{
    const QString key = QLatin1String(keys::kRecentProjects);
    QStringList recent = m_settings.readText(key).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    recent.removeAll(path);
    recent.prepend(path);
    storePreference(key, recent.mid(0, kMostRecentProjects).join(QLatin1Char('\n')));
}

void MainWindow::showRecentProjects()
{
    m_recentMenu->clear();
    const QStringList recent = m_settings.readText(QLatin1String(keys::kRecentProjects))
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &path : recent)
        m_recentMenu->addAction(path, this, [this, path] { openProject(path); });
    if (recent.isEmpty())
        m_recentMenu->addAction(QStringLiteral("(none)"))->setEnabled(false);
}

} // namespace orvanta
