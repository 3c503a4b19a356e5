// The main window's size and layout: every control where it was designed, extra space to the
// lists, and everything still visible on a small screen.

#include "MainWindowFixture.h"
#include "QtPrinters.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QToolTip>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace orvanta;

// Size and layout

namespace {

int menuHeight(const QWidget &window)
{
    return window.findChild<QMenuBar *>(QLatin1String(objects::kMenuBar))->height();
}

// A place designed in pixels at 96 dots per inch, at the window's own density, below the menu
// bar.
QRect designedRect(const QWidget &window, int left, int top, int width, int height)
{
    const auto pixels = [&](int designed) {
        return qRound(designed * window.logicalDpiX() / 96.0);
    };
    return {pixels(left), pixels(top) + menuHeight(window), pixels(width), pixels(height)};
}

// The controls the window names, each with its place in its parent.
QList<QWidget *> namedControls(const QWidget &window)
{
    QList<QWidget *> controls;
    for (QWidget *control : window.findChildren<QWidget *>()) {
        if (!control->objectName().isEmpty() && !control->objectName().startsWith(u"qt_") &&
            !control->isWindow() && control->window() == &window)
            controls << control;
    }
    return controls;
}

// Every named control lies inside the window, can be seen, and no two sharing a parent
// overlap.
void expectEveryControlVisible(const QWidget &window)
{
    SCOPED_TRACE(
        QStringLiteral("at %1 x %2").arg(window.width()).arg(window.height()).toStdString());
    const QList<QWidget *> controls = namedControls(window);
    ASSERT_GT(controls.size(), 30);
    for (QWidget *control : controls) {
        const QRect inWindow(control->mapTo(&window, QPoint(0, 0)), control->size());
        EXPECT_TRUE(window.rect().contains(inWindow)) << control->objectName().toStdString();
        if (control->isHidden())
            continue; // the progress bar, shown while counting
        EXPECT_FALSE(control->visibleRegion().isEmpty()) << control->objectName().toStdString();
        for (QWidget *other : controls) {
            const bool sibling = other != control && !other->isHidden() &&
                                 other->parentWidget() == control->parentWidget();
            EXPECT_FALSE(sibling && control->geometry().intersects(other->geometry()))
                << control->objectName().toStdString() << " overlaps "
                << other->objectName().toStdString();
        }
    }
}

} // namespace

TEST_F(MainWindowTest, AtItsDesignedSizeEveryControlIsWhereItWasDesigned)
{
    MainWindow &window = open();
    window.resize(window.designedSize());
    QApplication::processEvents();
    EXPECT_EQ(window.designedSize(),
              designedRect(window, 0, 0, 1065, 496).size() + QSize(0, menuHeight(window)));
    EXPECT_EQ(child<QTreeWidget>(objects::kInputList)->geometry(),
              designedRect(window, 8, 42, 520, 215));
    EXPECT_EQ(child<QTreeView>(objects::kResultsList)->geometry(),
              designedRect(window, 536, 147, 520, 163));
    EXPECT_EQ(child<QGroupBox>(objects::kLengthFrame)->geometry(),
              designedRect(window, 536, 3, 520, 102));
    EXPECT_EQ(child<QPushButton>(objects::kClearResultsButton)->geometry(),
              designedRect(window, 800, 350, 256, 27));
    const QPoint inFrame(0, -menuHeight(window)); // a frame's controls: no menu bar above them
    EXPECT_EQ(child<QPushButton>(objects::kLengthHelpButton)->geometry(),
              designedRect(window, 440, 68, 64, 23).translated(inFrame));
    EXPECT_EQ(lengthBox(19)->geometry(), designedRect(window, 475, 43, 37, 17).translated(inFrame));
    EXPECT_EQ(child<QPushButton>(objects::kExploreButton)->text().remove(u'&'),
              QStringLiteral("Explore Results"));
}

TEST_F(MainWindowTest, ExtraSpaceGoesToTheListsAndWhatLiesBelowThemMovesDown)
{
    MainWindow &window = open();
    window.resize(window.designedSize());
    QApplication::processEvents();
    const auto place = [&](const char *name) { return child<QWidget>(name)->geometry(); };
    const QRect list1 = place(objects::kInputList), list2 = place(objects::kResultsList),
                below = place(objects::kSaveTextButton), above = place(objects::kCountButton);

    window.resize(window.designedSize() + QSize(200, 150));
    QApplication::processEvents();
    EXPECT_EQ(place(objects::kInputList).size(), list1.size() + QSize(100, 150));
    EXPECT_EQ(place(objects::kResultsList).size(), list2.size() + QSize(100, 150));
    EXPECT_EQ(place(objects::kResultsList).left(), list2.left() + 100);
    EXPECT_EQ(place(objects::kSaveTextButton).top(), below.top() + 150);
    EXPECT_EQ(place(objects::kCountButton).top(), above.top());
    expectEveryControlVisible(window);
}

TEST_F(MainWindowTest, OnA1024By768ScreenAndAtItsSmallestEveryControlStaysVisible)
{
    MainWindow &window = open();
    EXPECT_LE(window.minimumWidth(), 1000);
    EXPECT_LE(window.minimumHeight(), 700);
    for (const QSize size : {QSize(1024, 768), QSize(1000, 700), window.minimumSize()}) {
        window.resize(size);
        QApplication::processEvents();
        ASSERT_EQ(window.size(), size);
        expectEveryControlVisible(window);
    }
}

TEST_F(MainWindowTest, ACutPhraseShowsInFullAsItsRowsTooltip)
{
    open();
    lengthBox(4)->click();
    addFiles({fixture("text-a.pdf"), fixture("text-b.pdf")});
    count();
    auto *view = child<QTreeView>(objects::kResultsList);
    const auto tipOverRow = [&](int row) {
        const QRect cell = view->visualRect(m_window->results().index(row, 1));
        QHelpEvent help(QEvent::ToolTip, cell.center(),
                        view->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(view->viewport(), &help);
        return QToolTip::text();
    };
    view->header()->resizeSection(0, 40);
    EXPECT_EQ(tipOverRow(1), QStringLiteral("the quick brown fox"));
    view->header()->resizeSection(0, 600);
    EXPECT_EQ(tipOverRow(1), view->toolTip()) << "not cut: the list's own tip";
}
