#pragma once

#include "app/PointerMode.h"
#include "app/ProjectFile.h"
#include "app/RunSummary.h"
#include "filelist/FolderScan.h"
#include "phrases/Keyness.h"
#include "phrases/LengthList.h"
#include "run/AdmissionCheck.h"
#include "run/CountingRun.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QTreeView;
class QTreeWidget;

namespace orvanta {

class BackgroundJob;
class DialogService;
class ExplorerWindow;
class InputListWork;
class MainWindowLayout;
class ResultsExports;
class ResultsModel;
class RunOptionsPanel;
class SettingsStore;
class TextStore;
class WindowRunHost;

inline constexpr auto kPreferencesUnsaved =
    "Your preferences cannot be saved, so the boxes ticked and the numbers typed now will be "
    "forgotten when Orvanta closes.";

inline constexpr auto kBothSetsNote =
    "The results count the target and the reference files together; the explorer compares them.";

// The main window. It creates the controls, restores and stores the preferences, and wires the
// controls to the classes that do the work.
class MainWindow : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int pointerMode READ pointerMode WRITE setPointerMode)
public:
    MainWindow(DialogService &dialogs, SettingsStore &settings, QString dataDir,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    // Start-up: skin, hand pointer, caption, columns, stored preferences, converter.
    void startUp();

    int pointerMode() const { return m_pointerMode; }
    void setPointerMode(int mode);
    bool isBusy() const { return m_pointerMode == Hourglass; }

    QStringList inputFiles() const;
    void addInputFiles(const QStringList &paths); // then the admission check
    // Paths handed over on the command line: each folder adds the PDFs of its tree, as "Add All
    // PDF File(s) In Folder" does, and files are added as named.
    void openPaths(const QStringList &paths);
    ResultsModel &results() { return *m_results; }
    TextStore &textStore() { return *m_store; }
    bool isCounting() const { return m_countingBusy; }
    // The size of what the last finished run counted: files, words, distinct words.
    const CorpusSize &countedCorpus() const { return m_countedCorpus; }
    bool isChecking() const;

    static QString applicationTitle();
    // Where a written workbook is handed over; the desktop's program for .xlsx by default.
    void setWorkbookOpener(std::function<bool(const QString &)> open);
    // What opens a folder for the user; the desktop's file manager by default.
    void setFolderOpener(std::function<bool(const QString &)> open)
    {
        m_openFolder = std::move(open);
    }
    // What opens a PDF from the explorer; the desktop's viewer by default.
    void setDocumentOpener(std::function<bool(const QString &)> open);

    // Opens the results explorer, made the first time, at the list's row when one is given.
    void openExplorer(int row = -1);
    ExplorerWindow *explorer() const { return m_explorer; }
    QSize designedSize() const;

    // Opens a saved project, replacing the list, the choices and the results; a project that
    // cannot be read is refused with a message, and nothing changes. False when refused.
    bool openProject(const QString &path);
    bool saveProject(const QString &path);

signals:
    void countingFinished();
    void admissionCheckFinished();
    // A text or workbook export has ended, written or not.
    void exportFinished();
    // An opened project's texts have been read again for the explorer's searches.
    void projectOpened();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Controls and layout (MainWindowControls.cpp)
    void createControls();
    void createInputList();
    void createResultsList();
    void createLengthFrame();
    void createStatusLine();
    void createMenu();
    void createShortcuts();
    void orderTabs();
    void createLayout();
    void connectControls();
    QPushButton *createButton(const char *name, const QString &caption, QWidget *parent,
                              const QRect &designed);
    QRect scaled(const QRect &designed) const;
    int scaled(int designedPixels) const;

    void applySkin();
    void applyIcon();
    void restorePreferences();
    void checkConverterAtStartUp();
    // The size and place the window had when it last closed; the first time, a size that uses
    // the screen.
    void restoreWindowPlace();
    void storeWindowPlace();

    void addFiles();
    void clearInputList();
    void addFolder();
    void loadSamples();
    static bool isDropEvent(QEvent::Type type);
    bool handleDrop(QEvent *event);
    void walkFinished(const ScanResult &found, bool scan);
    void showHelp();
    void startCounting();
    void clearResults();
    void saveResultsAsText();
    void copyResultsToClipboard();
    void exportResultsToWorkbook();
    void showLengthHelp();
    void showAbout();
    void runOptionsChanged();
    void storePreference(const QString &key, const QString &text);
    void promptForPasswordChanged();
    void lengthBoxChanged(int index);
    void extraLengthsChanged();
    void removeCurrentInput();
    void removeCurrentResult();

    // The reference set among the listed files (MainWindowReference.cpp)
    void createReferenceActions();
    void markSelectedInputs(bool reference);
    void showMarkChoices();
    std::vector<bool> inputMarks() const;
    void markInputs(const QStringList &referencePaths);
    // The set of each file by the marks of the list's rows; empty when no file is marked.
    static std::vector<FileSet> fileSetsOf(const std::vector<bool> &marks);

    void runAdmissionCheck();
    void finishAdmissionCheck(const AdmissionResult &result);
    // `lengthsNote` names what "More:" could not read for the run.
    // `sets`: the reference set the run counted, by file; empty without one.
    void finishCounting(const CountingRunOptions &options, const QString &lengthsNote,
                        std::vector<FileSet> sets);
    void showProgress(const RunProgress &progress);
    void clearProgress();
    void cancelWork();
    void escapePressed();
    // "Stop" shows while a run, a check or a folder walk is under way.
    void showStopWhileBusy();
    void showRunSummary();
    void openExplorerOnCurrentRow();

    // Projects (MainWindowProject.cpp)
    void chooseProjectToSave();
    void chooseProjectToOpen();
    void applyProject(Project &project);
    void readProjectTexts(const QStringList &paths);
    void finishReadingProject();
    void rememberProject(const QString &path);
    void showRecentProjects();
    ErrorSink &errorSink();

    DialogService &m_dialogs;
    SettingsStore &m_settings;
    const QString m_dataDir;
    int m_pointerMode = DefaultPointer;
    std::optional<QCursor> m_handCursor;

    QPushButton *m_addFilesButton = nullptr;
    QPushButton *m_workbookButton = nullptr;
    QPushButton *m_clearInputButton = nullptr;
    QPushButton *m_addFolderButton = nullptr;
    QPushButton *m_helpButton = nullptr;
    QPushButton *m_saveTextButton = nullptr;
    QPushButton *m_countButton = nullptr;
    QPushButton *m_copyButton = nullptr;
    QPushButton *m_clearResultsButton = nullptr;
    QPushButton *m_lengthHelpButton = nullptr;
    QPushButton *m_samplesButton = nullptr;
    QPushButton *m_exploreButton = nullptr;
    QPushButton *m_aboutButton = nullptr;
    QPushButton *m_stopButton = nullptr;
    QTreeWidget *m_inputList = nullptr;
    QTreeView *m_resultsList = nullptr;
    QGroupBox *m_lengthFrame = nullptr;
    QGroupBox *m_passwordFrame = nullptr;
    QCheckBox *m_promptForPassword = nullptr;
    std::array<QCheckBox *, kListedLengthCount> m_lengthBoxes{};
    QLabel *m_extraLengthsLabel = nullptr;
    QLineEdit *m_extraLengths = nullptr;
    RunOptionsPanel *m_runOptions = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_summary = nullptr; // what the last run counted, beside the results
    QProgressBar *m_progress = nullptr;
    QMenuBar *m_menuBar = nullptr;
    QMenu *m_recentMenu = nullptr;
    QAction *m_markReference = nullptr;
    QAction *m_markTarget = nullptr;

    std::unique_ptr<TextStore> m_store; // before everything that reads from it
    ResultsModel *m_results = nullptr;
    WindowRunHost *m_runHost = nullptr;
    std::unique_ptr<CountingRun> m_run;
    BackgroundJob *m_runJob = nullptr;
    RunOutcome m_runOutcome; // written by the run's thread, read when it has ended
    // The texts the last completed run counted, and how, for the explorer's searches.
    std::vector<CountedSource> m_countedSources;
    TextOptions m_countedOptions;
    CorpusSize m_countedCorpus;
    std::vector<FileSet> m_countedSets; // by the run's file index; empty without a reference set
    bool m_countingBusy = false;
    QElapsedTimer m_runClock;
    std::optional<RunSummary> m_lastRun;          // its phrases follow the rows listed
    std::optional<ExplorerState> m_explorerState; // applied when the explorer opens
    std::unique_ptr<AdmissionCheck> m_admission;
    InputListWork *m_inputWork = nullptr;
    ResultsExports *m_exports = nullptr;
    std::function<bool(const QString &)> m_openFolder;
    std::function<bool(const QString &)> m_openDocument;
    std::unique_ptr<MainWindowLayout> m_layout;
    ExplorerWindow *m_explorer = nullptr;
    bool m_toldPreferencesUnsaved = false;
};

} // namespace orvanta
