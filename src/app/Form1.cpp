#include "app/Form1.h"

#include "app/BackgroundJob.h"
#include "app/ListReorder.h"
#include "app/WindowRunHost.h"
#include "base/DialogService.h"
#include "base/FileHelpers.h"
#include "base/SettingsStore.h"
#include "extract/ConverterDeployment.h"
#include "filelist/FileDrop.h"
#include "filelist/FolderScan.h"
#include "filelist/SampleFiles.h"
#include "phrases/LengthList.h"
#include "results/ClipboardExport.h"
#include "results/DesktopOpener.h"
#include "results/ExportHost.h"
#include "results/ResultsModel.h"
#include "results/SpreadsheetExport.h"
#include "results/TextExport.h"
#include "results/XlsxSpreadsheetProgram.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

namespace orvanta {

namespace {

constexpr int kClientWidth = 15975;
constexpr int kClientHeight = 5775;
constexpr int kStatusHeight = 330;
constexpr int kTwipsPerInch = 1440;

const QString kInputTip =
    QStringLiteral("Drag and drop files here. Double-click item to remove it. "
                   "Move | line to right and out of window to reveal full names.");
const QString kResultsTip = QStringLiteral(
    "Double-click item to remove it. Move | line to right and out of window to reveal full names.");

QString tag(const char *operation)
{
    return locationTag(QStringLiteral("Form1"), QLatin1String(operation));
}

} // namespace

Form1::Form1(DialogService &dialogs, SettingsStore &settings, QString appDir, QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_appDir(std::move(appDir))
    , m_admission(*this)
{
    setObjectName(QStringLiteral("Form1"));
    m_runJob = new BackgroundJob(this);
    m_checkJob = new BackgroundJob(this);
    m_results = new ResultsModel(this);
    m_runHost =
        new WindowRunHost(dialogs, applicationTitle(),
                          {[this](bool busy) { setPointerMode(busy ? Busy : Default); },
                           [this](const RunProgress &progress) { showProgress(progress); },
                           [this](PhraseResults rows) { m_results->setResults(std::move(rows)); }},
                          this);
    m_run = std::make_unique<CountingRun>(*m_runHost);
    createControls();
}

Form1::~Form1()
{
    cancelWork();
}

QString Form1::applicationTitle()
{
    // The product name has no blank to cut at, so the title is the whole name.
    return QStringLiteral("Orvanta");
}

// Layout: positions in twips, as designed, turned into pixels at the screen's logical DPI.

int Form1::twipsToPixels(int twips) const
{
    return qRound(twips * logicalDpiX() / double(kTwipsPerInch));
}

QRect Form1::twips(int left, int top, int width, int height) const
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

QPushButton *Form1::createButton(const char *name, const QString &caption, QWidget *parent,
                                 int left, int top, int width, int height)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(twips(left, top, width, height));
    button->setMouseTracking(true);
    button->installEventFilter(this);
    return button;
}

void Form1::createControls()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(twipsToPixels(180));
    setFont(font);
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight + kStatusHeight));
    setMouseTracking(true);
    installEventFilter(this);

    PushButton5 = createButton("PushButton5", QStringLiteral("Help"), this, 120, 120, 7800, 405);
    createInputList();
    PushButton1 =
        createButton("PushButton1", QStringLiteral("Add PDF File(s)"), this, 120, 3950, 3840, 405);
    PushButton4 = createButton("PushButton4", QStringLiteral("Add All PDF File(s) In Folder"), this,
                               4080, 3950, 3840, 405);
    PushButton3 =
        createButton("PushButton3", QStringLiteral("Clear List"), this, 120, 4460, 3840, 405);
    PushButton11 = createButton("PushButton11", QStringLiteral("Load Sample/Example Files"), this,
                                4080, 4460, 3840, 405);

    Frame2 = new QGroupBox(QStringLiteral("Password Option"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(twips(120, 4920, 7800, 735));
    Check2 = new QCheckBox(
        QStringLiteral("Prompt for password because PDF files are password protected"), Frame2);
    Check2->setObjectName(QStringLiteral("Check2"));
    Check2->setGeometry(twips(240, 300, 6015, 255));

    createLengthFrame();
    PushButton7 = createButton("PushButton7", QStringLiteral("Start Counting Phrases"), this, 8040,
                               1695, 7800, 405);
    createResultsList();
    PushButton6 = createButton("PushButton6", QStringLiteral("Save Results As Text File"), this,
                               8040, 4740, 3840, 405);
    PushButton2 = createButton("PushButton2", QStringLiteral("Save Results As Excel File"), this,
                               12000, 4740, 3840, 405);
    PushButton8 = createButton("PushButton8", QStringLiteral("Copy Results To Clipboard"), this,
                               8040, 5250, 3840, 405);
    PushButton9 =
        createButton("PushButton9", QStringLiteral("Clear List"), this, 12000, 5250, 3840, 405);
    createStatusLine();

    for (QWidget *hoverable :
         {static_cast<QWidget *>(Frame1), static_cast<QWidget *>(Frame2),
          static_cast<QWidget *>(Check2), ListView1->viewport(), ListView2->viewport()}) {
        hoverable->setMouseTracking(true);
        hoverable->installEventFilter(this);
    }

    connect(PushButton1, &QPushButton::clicked, this, &Form1::pushButton1Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::pushButton3Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::pushButton4Click);
    connect(PushButton11, &QPushButton::clicked, this, &Form1::pushButton11Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form1::pushButton5Click);
    connect(PushButton7, &QPushButton::clicked, this, &Form1::pushButton7Click);
    connect(PushButton9, &QPushButton::clicked, this, &Form1::pushButton9Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::pushButton6Click);
    connect(PushButton8, &QPushButton::clicked, this, &Form1::pushButton8Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::pushButton2Click);
    connect(PushButton10, &QPushButton::clicked, this, &Form1::pushButton10Click);
    connect(Check2, &QCheckBox::clicked, this, &Form1::check2Click);
    connect(Text1, &QLineEdit::textChanged, this, &Form1::text1Change);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &Form1::listView1Remove);
    connect(ListView2, &QTreeView::doubleClicked, this, &Form1::listView2DblClick);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this,
            &Form1::escapePressed);
}

void Form1::createInputList()
{
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(twips(120, 630, 7800, 3225));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setToolTip(kInputTip);
    ListView1->setColumnCount(1);
    ListView1->installEventFilter(this);
    ListView1->setAcceptDrops(true);
    ListView1->viewport()->setAcceptDrops(true);
    new ListReorder(ListView1, m_appDir + QStringLiteral("/drag.ico"), this);
}

void Form1::createResultsList()
{
    ListView2 = new QTreeView(this);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    ListView2->setGeometry(twips(8040, 2205, 7800, 2445));
    ListView2->setRootIsDecorated(false);
    ListView2->setUniformRowHeights(true);
    ListView2->setItemsExpandable(false);
    ListView2->setSortingEnabled(false);
    ListView2->setToolTip(kResultsTip);
    ListView2->setModel(m_results);
}

void Form1::createLengthFrame()
{
    Frame1 = new QGroupBox(QStringLiteral("Number Of Words In Phrase"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips(8040, 45, 7800, 1530));
    static constexpr int kLefts[] = {240, 1100, 1960, 2820, 3680, 4540, 5400, 6260, 7120};
    for (int i = 0; i < kLengthBoxCount; ++i) {
        auto *box = new QCheckBox(QString::number(i + 2), Frame1);
        box->setObjectName(QStringLiteral("Check1"));
        box->setProperty("index", i);
        const int left = i == 14 ? 4560 : kLefts[i % 9];
        box->setGeometry(twips(left, i < 9 ? 300 : 650, 550, 255));
        connect(box, &QCheckBox::toggled, this, [this, i] { check1Changed(i); });
        Check1[size_t(i)] = box;
    }
    Label1 = new QLabel(QStringLiteral("More:"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips(240, 1080, 480, 225));
    Text1 = new QLineEdit(QStringLiteral("2, 5, 6"), Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twips(840, 1020, 5655, 345));
    PushButton10 =
        createButton("PushButton10", QStringLiteral("Help"), Frame1, 6600, 1020, 960, 345);
}

void Form1::createStatusLine()
{
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLine"));
    m_status->setGeometry(twips(120, kClientHeight, 11000, kStatusHeight - 60));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("StatusProgress"));
    m_progress->setGeometry(twips(11240, kClientHeight + 30, 4600, kStatusHeight - 120));
    m_progress->setTextVisible(false);
    m_progress->hide();
}

// Start-up and shutdown

void Form1::startUp()
{
    applySkin();
    loadHandPointer();
    // Taken again while empty or unreadable: a damaged value would leave the sample button
    // without files for good.
    if (unscrambleText(m_settings.readText(QLatin1String(settings_keys::kSnapshot))).isEmpty())
        takeSamplesSnapshot(m_appDir, m_settings);
    setWindowTitle(QStringLiteral("Orvanta"));
    QApplication::setApplicationDisplayName(applicationTitle());
    ListView1->setHeaderLabels({QStringLiteral("PDF File(s)")});
    ListView1->setColumnWidth(0, twipsToPixels(7000));
    ListView2->setColumnWidth(0, twipsToPixels(3500));
    ListView2->setColumnWidth(1, twipsToPixels(1700));
    ListView2->setColumnWidth(2, twipsToPixels(1700));
    restorePreferences();
    deployConverterAtStartUp();
}

void Form1::applySkin()
{
    QFile skin(m_appDir + QStringLiteral("/x/o.cjs"));
    if (skin.open(QIODevice::ReadOnly | QIODevice::Text))
        setStyleSheet(QString::fromUtf8(skin.readAll()));
}

void Form1::loadHandPointer()
{
    const QString path = m_appDir + QStringLiteral("/HAND-M.CUR");
    if (!fileExists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    QPixmap image;
    if (!image.loadFromData(bytes, "cur"))
        return;
    // Qt does not pass on the hot spot stored in the cursor file's directory entry.
    const auto word = [&bytes](int at) {
        return bytes.size() > at + 1 ? int(uchar(bytes[at])) | int(uchar(bytes[at + 1])) << 8 : 0;
    };
    m_handCursor = QCursor(image, word(10), word(12));
}

void Form1::restorePreferences()
{
    Check2->setChecked(
        m_settings.readText(QLatin1String(settings_keys::kCheck2), QStringLiteral("0")).toInt() !=
        0);
    for (int i = 0; i < kLengthBoxCount; ++i)
        Check1[size_t(i)]->setChecked(m_settings.readText(SettingsStore::phrasesKey(i)).toInt() !=
                                      0);
    Text1->setText(m_settings.readText(QLatin1String(settings_keys::kText1)));
}

void Form1::deployConverterAtStartUp()
{
    const ConverterStatus converter = deployConverter();
    if (!converter.ok())
        m_dialogs.message(converter.error, applicationTitle(), DialogService::Icon::Warning);
}

void Form1::closeEvent(QCloseEvent *event)
{
    cancelWork();
    removeConverter();
    event->accept();
}

void Form1::cancelWork()
{
    m_run->cancel();
    m_checkStop.request_stop();
    m_walkStop.request_stop();
    m_runJob->waitForEnd();
    m_checkJob->waitForEnd();
    while (!m_walkJobs.isEmpty())
        m_walkJobs.first()->waitForEnd();
    m_walkStop = std::stop_source();
}

// Pointer

void Form1::setPointerMode(int mode)
{
    m_pointerMode = mode;
    switch (mode) {
    case Arrow:
        setCursor(Qt::ArrowCursor);
        break;
    case Busy:
        setCursor(Qt::WaitCursor);
        break;
    case Hand:
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

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (!isBusy())
            setPointerMode(qobject_cast<QPushButton *>(watched) ? Hand : Default);
    }
    if (ListView1 && watched == ListView1->viewport() && isDropEvent(event->type()))
        return handleDrop(event);
    if (watched == ListView1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        listView1Remove();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::escapePressed()
{
    if (!m_countingBusy && !isChecking() && m_walkJobs.isEmpty())
        return;
    cancelWork();
    m_status->setText(QStringLiteral("Cancelled."));
}

void Form1::report(const ErrorReport &report)
{
    const auto show = [&] {
        m_dialogs.message(report.message(), QLatin1String(kErrorReportTitle),
                          DialogService::Icon::Warning);
    };
    if (QThread::currentThread() == thread())
        show();
    else
        QMetaObject::invokeMethod(this, show, Qt::BlockingQueuedConnection);
}

// Input list

QStringList Form1::inputFiles() const
{
    QStringList paths;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        paths << ListView1->topLevelItem(i)->text(0);
    return paths;
}

void Form1::addInputFiles(const QStringList &paths)
{
    for (const QString &path : paths)
        ListView1->addTopLevelItem(new QTreeWidgetItem(QStringList{path}));
    runAdmissionCheck();
}

void Form1::pushButton1Click()
{
    TrappedOperation operation(tag("PushButton1_Click"), *this);
    QStringList chosen;
    operation.step([&] {
        chosen =
            m_dialogs.openFiles(QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
                                QStringLiteral("PDF Files (*.pdf)"));
    });
    operation.step([&] { addInputFiles(chosen); });
}

void Form1::pushButton3Click()
{
    TrappedOperation operation(tag("PushButton3_Click"), *this);
    operation.step([&] {
        if (!isBusy())
            ListView1->clear();
    });
}

void Form1::listView1Remove()
{
    if (isBusy() || ListView1->topLevelItemCount() == 0)
        return;
    QTreeWidgetItem *selected = ListView1->currentItem();
    if (selected && selected->isSelected())
        delete selected;
}

// Folder scan, drops and samples

void Form1::pushButton4Click()
{
    TrappedOperation operation(tag("PushButton4_Click"), *this);
    QString folder;
    operation.step([&] { folder = chooseScanFolder(m_dialogs, m_settings); });
    if (folder.isEmpty()) {
        runAdmissionCheck();
        return;
    }
    walkInBackground(QStringList{folder}, /*scan=*/true);
}

bool Form1::isDropEvent(QEvent::Type type)
{
    return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
}

bool Form1::handleDrop(QEvent *event)
{
    auto *drop = static_cast<QDropEvent *>(event);
    const QStringList dropped = droppedPaths(*drop->mimeData());
    if (dropped.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop)
        walkInBackground(dropped, /*scan=*/false);
    return true;
}

// A folder scan shows the busy pointer; a drop does not. Both add their rows when done.
void Form1::walkInBackground(const QStringList &paths, bool scan)
{
    auto *job = new BackgroundJob(this);
    m_walkJobs.append(job);
    auto rows = std::make_shared<QStringList>();
    const std::stop_token stop = m_walkStop.get_token();
    if (scan)
        setPointerMode(Busy);
    job->start(
        [this, paths, scan, rows, stop] {
            const ScanControl control{stop, {}};
            *rows =
                scan ? filesInFolderTree(paths.first(), QLatin1String(kScanPattern), *this, control)
                     : rowsForDrop(paths, *this, control);
        },
        [this, job, rows, scan] {
            m_walkJobs.removeOne(job);
            job->deleteLater();
            if (scan)
                setPointerMode(Default);
            addInputFiles(*rows);
        });
}

void Form1::pushButton11Click()
{
    TrappedOperation operation(tag("PushButton11_Click"), *this);
    operation.step([&] {
        for (const QString &path : sampleFilesToAdd(m_settings, inputFiles()))
            ListView1->addTopLevelItem(new QTreeWidgetItem(QStringList{path}));
        if (m_dialogs.question(QLatin1String(kSampleQuestion), applicationTitle()))
            QDesktopServices::openUrl(QUrl::fromLocalFile(samplesFolder(m_appDir)));
    });
    operation.step([&] {
        for (int i = 0; i < kLengthBoxCount; ++i)
            Check1[size_t(i)]->setChecked(i == 2);
    });
    operation.step([&] { Text1->clear(); });
    operation.step([&] { runAdmissionCheck(); });
}

// Admission check

bool Form1::isChecking() const
{
    return m_checkJob->isRunning();
}

void Form1::runAdmissionCheck()
{
    if (isChecking()) {
        m_checkAgain = true; // the files added meanwhile are checked right after
        return;
    }
    const QStringList paths = inputFiles();
    setPointerMode(Busy);
    m_checkStop = std::stop_source();
    auto result = std::make_shared<AdmissionResult>();
    const std::stop_token stop = m_checkStop.get_token();
    m_checkJob->start(
        [this, paths, result, stop] {
            *result =
                m_admission.check(paths, stop, [this](int done, int total, const QString &path) {
                    QMetaObject::invokeMethod(this, [this, done, total, path] {
                        m_status->setText(QStringLiteral("Checking %1 of %2: %3")
                                              .arg(done)
                                              .arg(total)
                                              .arg(QFileInfo(path).fileName()));
                    });
                });
        },
        [this, result] { finishAdmissionCheck(*result); });
}

void Form1::finishAdmissionCheck(const AdmissionResult &result)
{
    setPointerMode(Default);
    clearProgress();
    if (!result.converterProblem.isEmpty())
        m_dialogs.message(result.converterProblem, applicationTitle(),
                          DialogService::Icon::Warning);
    else if (!result.notice.isEmpty())
        m_dialogs.message(result.notice, applicationTitle());
    emit admissionCheckFinished();
    if (std::exchange(m_checkAgain, false) && !result.cancelled)
        runAdmissionCheck();
}

// Counting run

void Form1::pushButton7Click()
{
    if (m_countingBusy)
        return;
    m_countingBusy = true;
    LengthBoxes ticked{};
    for (int i = 0; i < kLengthBoxCount; ++i)
        ticked[size_t(i)] = Check1[size_t(i)]->isChecked();
    const std::vector<int> lengths = buildLengthList(ticked, Text1->text());
    CountingRunOptions options;
    options.promptForPassword = Check2->isChecked();
    const QStringList paths = inputFiles();
    m_runJob->start([this, paths, lengths, options] { m_run->run(paths, lengths, options); },
                    [this] { finishCounting(); });
}

void Form1::finishCounting()
{
    clearProgress();
    setPointerMode(Default);
    m_countingBusy = false;
    emit countingFinished();
}

void Form1::showProgress(const RunProgress &progress)
{
    switch (progress.stage) {
    case RunProgress::Stage::Converting:
        m_status->setText(QStringLiteral("Converting %1 of %2: %3")
                              .arg(progress.fileIndex)
                              .arg(progress.fileCount)
                              .arg(QFileInfo(progress.path).fileName()));
        m_progress->setRange(0, progress.fileCount);
        m_progress->setValue(progress.fileIndex - 1);
        break;
    case RunProgress::Stage::Counting:
        m_status->setText(QStringLiteral("Counting phrases..."));
        m_progress->setRange(0, 0);
        break;
    case RunProgress::Stage::Ordering:
        m_status->setText(QStringLiteral("Sorting and filling the results list..."));
        m_progress->setRange(0, 0);
        break;
    }
    m_progress->show();
}

void Form1::clearProgress()
{
    m_status->clear();
    m_progress->hide();
}

// Results list

void Form1::pushButton9Click()
{
    TrappedOperation operation(tag("PushButton9_Click"), *this);
    operation.step([&] { m_results->clear(); });
}

void Form1::listView2DblClick()
{
    if (isBusy() || m_results->rowCount() == 0)
        return;
    const QModelIndex current = ListView2->currentIndex();
    if (current.isValid())
        m_results->removeRowAt(current.row());
}

// Exports

ExportHost Form1::exportHost()
{
    return {m_dialogs, *this, applicationTitle(), [this](int mode) { setPointerMode(mode); }, {}};
}

void Form1::pushButton6Click()
{
    saveResultsAsTextFile(*m_results, exportHost());
}

void Form1::pushButton8Click()
{
    SystemClipboard clipboard(*QGuiApplication::clipboard());
    copyResultsToClipboard(*m_results, clipboard, exportHost());
}

void Form1::pushButton2Click()
{
    XlsxSpreadsheetProgram program(m_openWorkbook ? m_openWorkbook : openWithDesktopProgram);
    saveResultsAsExcelFile(*m_results, program, exportHost());
}

// Preferences and help

// A store that cannot be written is said once; the choices then last until the window closes.
void Form1::storePreference(const QString &key, const QString &text)
{
    if (m_settings.writeText(key, text) || std::exchange(m_toldPreferencesUnsaved, true))
        return;
    m_dialogs.message(QLatin1String(kPreferencesUnsaved), applicationTitle(),
                      DialogService::Icon::Warning);
}

void Form1::check2Click()
{
    storePreference(QLatin1String(settings_keys::kCheck2),
                    QString::number(Check2->isChecked() ? 1 : 0));
}

void Form1::check1Changed(int index)
{
    storePreference(SettingsStore::phrasesKey(index),
                    QString::number(Check1[size_t(index)]->isChecked() ? 1 : 0));
}

void Form1::text1Change()
{
    storePreference(QLatin1String(settings_keys::kText1), Text1->text());
}

void Form1::pushButton5Click()
{
    TrappedOperation operation(tag("PushButton5_Click"), *this);
    operation.step([&] {
        m_dialogs.message(QStringLiteral("For your information: This software considers "
                                         "\"low-budget job\" to be a two word phrase."),
                          applicationTitle());
    });
    operation.step([&] {
        m_dialogs.message(
            QStringLiteral("This program will:\r\rextract text from a PDF. This text is usually "
                           "typed into the PDF using the keyboard.\r\rThis program will not:\r\r"
                           "extract text that is inside an image. Even though the image is "
                           "embedded within a PDF file, it is still an image and \"unreadable\"."),
            applicationTitle());
    });
}

void Form1::pushButton10Click()
{
    TrappedOperation operation(tag("PushButton10_Click"), *this);
    operation.step([&] {
        m_dialogs.message(QStringLiteral("You can list additional numbers separated by comma or "
                                         "space such as: 20, 21, 22, 23"),
                          applicationTitle());
    });
}

} // namespace orvanta
