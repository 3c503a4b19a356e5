// The main window's controls and their layout. Places are designed in pixels at 96 dots per
// inch and scaled to the screen's logical DPI.

#include "app/MainWindow.h"

#include "app/CutPhraseTips.h"
#include "app/ElidedLabel.h"
#include "app/ListReorder.h"
#include "app/MainWindowLayout.h"
#include "app/RunOptionsPanel.h"
#include "app/StoredNames.h"
#include "app/WholeNameTips.h"
#include "base/ProgramInfo.h"
#include "extract/PageRecognition.h"
#include "phrases/LengthList.h"
#include "results/ResultsModel.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QTreeView>
#include <QTreeWidget>

namespace orvanta {

namespace objects = stored_names::objects;

namespace {

constexpr double kDesignedDpi = 96;
constexpr int kClientWidth = 1065;
// The frames of the run options, one under each column, below the lowest buttons.
constexpr int kOptionsTop = 381;
constexpr int kOptionsHeight = 89;
constexpr int kClientHeight = 385 + kOptionsHeight;
constexpr int kStatusHeight = 22;
// The explorer's button fills the gap between the options and the window's edge.
constexpr int kExploreTop = kOptionsTop + kOptionsHeight;
constexpr int kExploreHeight = 24;
constexpr int kLeftColumn = 8;
constexpr int kRightColumn = 536;
constexpr int kColumnWidth = 520;
constexpr int kButtonWidth = 256;
constexpr int kButtonHeight = 27;
constexpr int kSecondButton = 264; // from its column's left edge
constexpr int kStopWidth = 96;

const QString kInputTip =
    QStringLiteral("Drag and drop files here. Double-click item to remove it. "
                   "Move | line to right and out of window to reveal full names.");
const QString kResultsTip = QStringLiteral(
    "Double-click item to remove it. Move | line to right and out of window to reveal full names.");

QRect buttonAt(int left, int top)
{
    return {left, top, kButtonWidth, kButtonHeight};
}

} // namespace

int MainWindow::scaled(int designedPixels) const
{
    return qRound(designedPixels * logicalDpiX() / kDesignedDpi);
}

QRect MainWindow::scaled(const QRect &designed) const
{
    return {scaled(designed.left()), scaled(designed.top()), scaled(designed.width()),
            scaled(designed.height())};
}

QPushButton *MainWindow::createButton(const char *name, const QString &caption, QWidget *parent,
                                      const QRect &designed)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(scaled(designed));
    button->setMouseTracking(true);
    button->installEventFilter(this);
    return button;
}

void MainWindow::createControls()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(scaled(12));
    setFont(font);
    createMenu();
    resize(designedSize());
    setMouseTracking(true);
    installEventFilter(this);

    constexpr int left = kLeftColumn;
    constexpr int right = kRightColumn;
    m_helpButton =
        createButton(objects::kHelpButton, QStringLiteral("&Help"), this, buttonAt(left, 8));
    m_aboutButton = createButton(objects::kAboutButton, QStringLiteral("A&bout Orvanta"), this,
                                 buttonAt(left + kSecondButton, 8));
    createInputList();
    m_addFilesButton = createButton(objects::kAddFilesButton, QStringLiteral("&Add PDF File(s)"),
                                    this, buttonAt(left, 263));
    m_addFolderButton =
        createButton(objects::kAddFolderButton, QStringLiteral("Add All PDF File(s) &In Folder"),
                     this, buttonAt(left + kSecondButton, 263));
    m_clearInputButton = createButton(objects::kClearInputButton, QStringLiteral("C&lear List"),
                                      this, buttonAt(left, 297));
    m_samplesButton =
        createButton(objects::kSamplesButton, QStringLiteral("Load Sa&mple/Example Files"), this,
                     buttonAt(left + kSecondButton, 297));

    m_passwordFrame = new QGroupBox(QStringLiteral("Password Option"), this);
    m_passwordFrame->setObjectName(QLatin1String(objects::kPasswordFrame));
    m_passwordFrame->setGeometry(scaled({left, 328, kColumnWidth, 49}));
    m_promptForPassword = new QCheckBox(
        QStringLiteral("Prompt for password because PDF files are password protected"),
        m_passwordFrame);
    m_promptForPassword->setObjectName(QLatin1String(objects::kPromptForPassword));
    m_promptForPassword->setGeometry(scaled({16, 20, 401, 17}));

    createLengthFrame();
    m_countButton = createButton(objects::kCountButton, QStringLiteral("&Start Counting Phrases"),
                                 this, {right, 113, kColumnWidth, kButtonHeight});
    // Over the count button's right end, shown only while there is something to stop.
    m_stopButton =
        createButton(objects::kStopButton, QStringLiteral("St&op"), this,
                     {right + kColumnWidth - kStopWidth, 113, kStopWidth, kButtonHeight});
    m_stopButton->setToolTip(QStringLiteral("Stop what is under way (Esc)"));
    m_stopButton->hide();
    createResultsList();
    m_saveTextButton =
        createButton(objects::kSaveTextButton, QStringLiteral("Save Results As &Text File"), this,
                     buttonAt(right, 316));
    m_workbookButton =
        createButton(objects::kWorkbookButton, QStringLiteral("Save Results As E&xcel File"), this,
                     buttonAt(right + kSecondButton, 316));
    m_copyButton = createButton(objects::kCopyButton, QStringLiteral("&Copy Results To Clipboard"),
                                this, buttonAt(right, 350));
    m_clearResultsButton = createButton(objects::kClearResultsButton, QStringLiteral("Clea&r List"),
                                        this, buttonAt(right + kSecondButton, 350));
    m_runOptions = new RunOptionsPanel(
        this, [this](const QRect &designed) { return scaled(designed); }, kOptionsTop,
        installedRecognitionLanguages());
    createStatusLine();
    m_exploreButton =
        createButton(objects::kExploreButton, QStringLiteral("&Explore Results"), this,
                     {right + kSecondButton, kExploreTop, kButtonWidth, kExploreHeight});
    // Two lines of smaller type, so that the counts of a large corpus fit beside the button.
    m_summary = new QLabel(this);
    m_summary->setObjectName(QLatin1String(objects::kRunSummary));
    m_summary->setGeometry(scaled({right, kExploreTop, kButtonWidth, kExploreHeight}));
    m_summary->setWordWrap(true);
    QFont small = font;
    small.setPixelSize(scaled(10));
    m_summary->setFont(small);

    for (QWidget *hoverable :
         {static_cast<QWidget *>(m_lengthFrame), static_cast<QWidget *>(m_passwordFrame),
          static_cast<QWidget *>(m_promptForPassword), m_inputList->viewport(),
          m_resultsList->viewport()}) {
        hoverable->setMouseTracking(true);
        hoverable->installEventFilter(this);
    }
    createLayout();
    connectControls();
    createShortcuts();
    orderTabs();
}

// The icon installed with the program, else the desktop theme's.
void MainWindow::applyIcon()
{
    QIcon icon;
    for (const QString &file : programIconFiles(m_dataDir))
        icon.addFile(file);
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("io.teralune.Orvanta"),
                                QIcon::fromTheme(QStringLiteral("orvanta")));
    setWindowIcon(icon);
}

// The designed controls' room and, above it, the menu bar's.
QSize MainWindow::designedSize() const
{
    return {scaled(kClientWidth),
            scaled(kClientHeight + kStatusHeight) + m_menuBar->sizeHint().height()};
}

// Every control at its designed place; the layout moves them when the window is resized.
void MainWindow::createLayout()
{
    const int menuHeight = m_menuBar->sizeHint().height();
    m_layout = std::make_unique<MainWindowLayout>(designedSize() - QSize(0, menuHeight));
    m_layout->setTop(menuHeight);
    m_layout->addList(m_inputList);
    m_layout->addList(m_resultsList);
    for (QWidget *frame :
         {static_cast<QWidget *>(m_lengthFrame), static_cast<QWidget *>(m_passwordFrame),
          static_cast<QWidget *>(m_runOptions->textFrame()),
          static_cast<QWidget *>(m_runOptions->scanFrame())}) {
        for (QWidget *control : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            m_layout->add(control);
    }
    for (QWidget *control : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (control != m_inputList && control != m_resultsList && control != m_menuBar &&
            !control->isWindow())
            m_layout->add(control);
    }
    setMinimumSize(m_layout->minimumSize());
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_menuBar->setGeometry(0, 0, event->size().width(), m_menuBar->sizeHint().height());
    if (m_layout)
        m_layout->apply(event->size());
}

void MainWindow::connectControls()
{
    connect(m_addFilesButton, &QPushButton::clicked, this, &MainWindow::addFiles);
    connect(m_clearInputButton, &QPushButton::clicked, this, &MainWindow::clearInputList);
    connect(m_addFolderButton, &QPushButton::clicked, this, &MainWindow::addFolder);
    connect(m_samplesButton, &QPushButton::clicked, this, &MainWindow::loadSamples);
    connect(m_helpButton, &QPushButton::clicked, this, &MainWindow::showHelp);
    connect(m_countButton, &QPushButton::clicked, this, &MainWindow::startCounting);
    connect(m_clearResultsButton, &QPushButton::clicked, this, &MainWindow::clearResults);
    connect(m_saveTextButton, &QPushButton::clicked, this, &MainWindow::saveResultsAsText);
    connect(m_copyButton, &QPushButton::clicked, this, &MainWindow::copyResultsToClipboard);
    connect(m_workbookButton, &QPushButton::clicked, this, &MainWindow::exportResultsToWorkbook);
    connect(m_lengthHelpButton, &QPushButton::clicked, this, &MainWindow::showLengthHelp);
    connect(m_exploreButton, &QPushButton::clicked, this, [this] { openExplorer(); });
    connect(m_aboutButton, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(m_stopButton, &QPushButton::clicked, this, &MainWindow::escapePressed);
    // The summary counts the rows still listed, whichever window removed them.
    connect(m_results, &QAbstractItemModel::rowsRemoved, this, &MainWindow::showRunSummary);
    connect(m_results, &QAbstractItemModel::layoutChanged, this, &MainWindow::showRunSummary);
    connect(m_runOptions, &RunOptionsPanel::changed, this, &MainWindow::runOptionsChanged);
    connect(m_promptForPassword, &QCheckBox::clicked, this, &MainWindow::promptForPasswordChanged);
    connect(m_extraLengths, &QLineEdit::textChanged, this, &MainWindow::extraLengthsChanged);
    connect(m_inputList, &QTreeWidget::itemDoubleClicked, this, &MainWindow::removeCurrentInput);
    connect(m_resultsList, &QTreeView::doubleClicked, this, &MainWindow::removeCurrentResult);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this,
            &MainWindow::escapePressed);
}

void MainWindow::createInputList()
{
    m_inputList = new QTreeWidget(this);
    m_inputList->setObjectName(QLatin1String(objects::kInputList));
    m_inputList->setGeometry(scaled({kLeftColumn, 42, kColumnWidth, 215}));
    m_inputList->setRootIsDecorated(false);
    m_inputList->setUniformRowHeights(true);
    m_inputList->setToolTip(kInputTip);
    m_inputList->setItemDelegate(new WholeNameTips(m_inputList));
    m_inputList->setColumnCount(1);
    m_inputList->installEventFilter(this);
    m_inputList->setAcceptDrops(true);
    m_inputList->viewport()->setAcceptDrops(true);
    new ListReorder(m_inputList, m_dataDir + QStringLiteral("/drag.ico"), this);
    createReferenceActions();
}

void MainWindow::createResultsList()
{
    m_resultsList = new QTreeView(this);
    m_resultsList->setObjectName(QLatin1String(objects::kResultsList));
    m_resultsList->setGeometry(scaled({kRightColumn, 147, kColumnWidth, 163}));
    m_resultsList->setRootIsDecorated(false);
    m_resultsList->setUniformRowHeights(true);
    m_resultsList->setItemsExpandable(false);
    m_resultsList->setSortingEnabled(false);
    m_resultsList->setToolTip(kResultsTip);
    m_resultsList->setModel(m_results);
    m_resultsList->setItemDelegate(new CutPhraseTips(ResultsModel::PhraseColumn, m_resultsList));
    m_resultsList->installEventFilter(this);
    auto *explore = new QAction(QStringLiteral("Explore This Phrase..."), m_resultsList);
    explore->setObjectName(QLatin1String(objects::kExploreAction));
    connect(explore, &QAction::triggered, this, [this] {
        if (m_resultsList->currentIndex().isValid())
            openExplorer(m_resultsList->currentIndex().row());
    });
    m_resultsList->addAction(explore);
    m_resultsList->setContextMenuPolicy(Qt::ActionsContextMenu);
}

// Two rows of boxes for 2 to 19 words; the one for 16 sits a pixel to the right, as designed.
void MainWindow::createLengthFrame()
{
    m_lengthFrame = new QGroupBox(QStringLiteral("Number Of Words In Phrase"), this);
    m_lengthFrame->setObjectName(QLatin1String(objects::kLengthFrame));
    m_lengthFrame->setGeometry(scaled({kRightColumn, 3, kColumnWidth, 102}));
    static constexpr int kLefts[] = {16, 73, 131, 188, 245, 303, 360, 417, 475};
    for (int i = 0; i < kListedLengthCount; ++i) {
        auto *box = new QCheckBox(QString::number(i + 2), m_lengthFrame);
        box->setObjectName(QLatin1String(objects::kLengthBox));
        box->setProperty("index", i);
        const int boxLeft = i == 14 ? 304 : kLefts[i % 9];
        box->setGeometry(scaled({boxLeft, i < 9 ? 20 : 43, 37, 17}));
        connect(box, &QCheckBox::toggled, this, [this, i] { lengthBoxChanged(i); });
        m_lengthBoxes[size_t(i)] = box;
    }
    m_extraLengthsLabel = new QLabel(QStringLiteral("More:"), m_lengthFrame);
    m_extraLengthsLabel->setObjectName(QLatin1String(objects::kExtraLengthsLabel));
    m_extraLengthsLabel->setGeometry(scaled({16, 72, 32, 15}));
    m_extraLengths = new QLineEdit(QStringLiteral("2, 5, 6"), m_lengthFrame);
    m_extraLengths->setObjectName(QLatin1String(objects::kExtraLengths));
    m_extraLengths->setGeometry(scaled({56, 68, 377, 23}));
    m_lengthHelpButton = createButton(objects::kLengthHelpButton, QStringLiteral("Hel&p"),
                                      m_lengthFrame, {440, 68, 64, 23});
}

void MainWindow::createStatusLine()
{
    m_status = new ElidedLabel(this);
    m_status->setObjectName(QLatin1String(objects::kStatusLine));
    m_status->setGeometry(scaled({kLeftColumn, kClientHeight, kColumnWidth, kStatusHeight - 4}));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QLatin1String(objects::kStatusProgress));
    m_progress->setGeometry(
        scaled({kRightColumn, kClientHeight + 2, kButtonWidth, kStatusHeight - 8}));
    m_progress->setTextVisible(false);
    m_progress->hide();
}

} // namespace orvanta
