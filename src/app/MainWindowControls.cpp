// The main window's controls and their layout. Positions are in twips, as designed, turned into
// pixels at the screen's logical DPI.

#include "app/MainWindow.h"

#include "app/CutPhraseTips.h"
#include "app/ListReorder.h"
#include "app/MainWindowLayout.h"
#include "app/RunOptionsPanel.h"
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
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QTreeView>
#include <QTreeWidget>

namespace orvanta {

namespace {

constexpr int kClientWidth = 15975;
// The frames of the run options, one under each column, below the lowest buttons.
constexpr int kOptionsTop = 5715;
constexpr int kOptionsHeight = 1335;
constexpr int kClientHeight = 5775 + kOptionsHeight;
constexpr int kStatusHeight = 330;
// The explorer's button fills the gap between the options and the window's edge.
constexpr int kExploreTop = kOptionsTop + kOptionsHeight;
constexpr int kExploreHeight = 360;
constexpr int kTwipsPerInch = 1440;

const QString kInputTip =
    QStringLiteral("Drag and drop files here. Double-click item to remove it. "
                   "Move | line to right and out of window to reveal full names.");
const QString kResultsTip = QStringLiteral(
    "Double-click item to remove it. Move | line to right and out of window to reveal full names.");

} // namespace

int MainWindow::twipsToPixels(int twips) const
{
    return qRound(twips * logicalDpiX() / double(kTwipsPerInch));
}

QRect MainWindow::twips(int left, int top, int width, int height) const
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

QPushButton *MainWindow::createButton(const char *name, const QString &caption, QWidget *parent,
                                      int left, int top, int width, int height)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(twips(left, top, width, height));
    button->setMouseTracking(true);
    button->installEventFilter(this);
    return button;
}

void MainWindow::createControls()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(twipsToPixels(180));
    setFont(font);
    resize(designedSize());
    setMouseTracking(true);
    installEventFilter(this);

    PushButton5 = createButton("PushButton5", QStringLiteral("Help"), this, 120, 120, 3840, 405);
    PushButton13 =
        createButton("PushButton13", QStringLiteral("About Orvanta"), this, 4080, 120, 3840, 405);
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
    m_runOptions = new RunOptionsPanel(
        this,
        [this](int left, int top, int width, int height) {
            return twips(left, top, width, height);
        },
        kOptionsTop, installedRecognitionLanguages());
    createStatusLine();
    PushButton12 = createButton("PushButton12", QStringLiteral("Explore Results"), this, 12000,
                                kExploreTop, 3840, kExploreHeight);

    for (QWidget *hoverable :
         {static_cast<QWidget *>(Frame1), static_cast<QWidget *>(Frame2),
          static_cast<QWidget *>(Check2), ListView1->viewport(), ListView2->viewport()}) {
        hoverable->setMouseTracking(true);
        hoverable->installEventFilter(this);
    }
    createLayout();
    connectControls();
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

QSize MainWindow::designedSize() const
{
    return {twipsToPixels(kClientWidth), twipsToPixels(kClientHeight + kStatusHeight)};
}

// Every control at its designed place; the layout moves them when the window is resized.
void MainWindow::createLayout()
{
    m_layout = std::make_unique<MainWindowLayout>(designedSize());
    m_layout->addList(ListView1);
    m_layout->addList(ListView2);
    for (QWidget *frame : {static_cast<QWidget *>(Frame1), static_cast<QWidget *>(Frame2),
                           static_cast<QWidget *>(m_runOptions->textFrame()),
                           static_cast<QWidget *>(m_runOptions->scanFrame())}) {
        for (QWidget *control : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            m_layout->add(control);
    }
    for (QWidget *control : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (control != ListView1 && control != ListView2 && !control->isWindow())
            m_layout->add(control);
    }
    setMinimumSize(m_layout->minimumSize());
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_layout)
        m_layout->apply(event->size());
}

void MainWindow::connectControls()
{
    connect(PushButton1, &QPushButton::clicked, this, &MainWindow::pushButton1Click);
    connect(PushButton3, &QPushButton::clicked, this, &MainWindow::pushButton3Click);
    connect(PushButton4, &QPushButton::clicked, this, &MainWindow::pushButton4Click);
    connect(PushButton11, &QPushButton::clicked, this, &MainWindow::pushButton11Click);
    connect(PushButton5, &QPushButton::clicked, this, &MainWindow::pushButton5Click);
    connect(PushButton7, &QPushButton::clicked, this, &MainWindow::pushButton7Click);
    connect(PushButton9, &QPushButton::clicked, this, &MainWindow::pushButton9Click);
    connect(PushButton6, &QPushButton::clicked, this, &MainWindow::pushButton6Click);
    connect(PushButton8, &QPushButton::clicked, this, &MainWindow::pushButton8Click);
    connect(PushButton2, &QPushButton::clicked, this, &MainWindow::pushButton2Click);
    connect(PushButton10, &QPushButton::clicked, this, &MainWindow::pushButton10Click);
    connect(PushButton12, &QPushButton::clicked, this, [this] { openExplorer(); });
    connect(PushButton13, &QPushButton::clicked, this, &MainWindow::pushButton13Click);
    connect(m_runOptions, &RunOptionsPanel::changed, this, &MainWindow::runOptionsChanged);
    connect(Check2, &QCheckBox::clicked, this, &MainWindow::check2Click);
    connect(Text1, &QLineEdit::textChanged, this, &MainWindow::text1Change);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &MainWindow::listView1Remove);
    connect(ListView2, &QTreeView::doubleClicked, this, &MainWindow::listView2DblClick);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this,
            &MainWindow::escapePressed);
}

void MainWindow::createInputList()
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
    new ListReorder(ListView1, m_dataDir + QStringLiteral("/drag.ico"), this);
}

void MainWindow::createResultsList()
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
    ListView2->setItemDelegate(new CutPhraseTips(ResultsModel::PhraseColumn, ListView2));
    ListView2->installEventFilter(this);
    auto *explore = new QAction(QStringLiteral("Explore This Phrase..."), ListView2);
    explore->setObjectName(QStringLiteral("ExploreAction"));
    connect(explore, &QAction::triggered, this, [this] {
        if (ListView2->currentIndex().isValid())
            openExplorer(ListView2->currentIndex().row());
    });
    ListView2->addAction(explore);
    ListView2->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void MainWindow::createLengthFrame()
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

void MainWindow::createStatusLine()
{
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLine"));
    m_status->setGeometry(twips(120, kClientHeight, 7800, kStatusHeight - 60));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("StatusProgress"));
    m_progress->setGeometry(twips(8040, kClientHeight + 30, 3840, kStatusHeight - 120));
    m_progress->setTextVisible(false);
    m_progress->hide();
}

} // namespace orvanta
