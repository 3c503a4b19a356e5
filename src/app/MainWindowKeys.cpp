// The main window's keyboard: shortcuts for the main actions, the order Tab takes through the
// controls, and Enter on the results.

#include "app/MainWindow.h"

#include "app/RunOptionsPanel.h"
#include "results/ResultsModel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTreeView>
#include <QTreeWidget>

namespace orvanta {

namespace {

// Presses `button` on each of `keys`, and names the first in its tooltip.
void addShortcuts(QPushButton *button, std::initializer_list<QKeySequence> keys)
{
    for (const QKeySequence &key : keys) {
        auto *shortcut = new QShortcut(key, button->window());
        QObject::connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    }
    button->setToolTip(keys.begin()->toString(QKeySequence::NativeText));
}

} // namespace

void MainWindow::createShortcuts()
{
    addShortcuts(m_addFilesButton, {QKeySequence::Open});
    addShortcuts(m_addFolderButton, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)});
    addShortcuts(m_countButton, {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::Key_F5),
                                 QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    addShortcuts(m_exploreButton, {QKeySequence(Qt::CTRL | Qt::Key_E)});
    addShortcuts(m_saveTextButton, {QKeySequence::Save});
}

// From adding files to counting and on to the results, then the choices that change a count.
void MainWindow::orderTabs()
{
    QList<QWidget *> order{m_inputList,     m_addFilesButton,    m_addFolderButton,
                           m_countButton,   m_stopButton,        m_resultsList,
                           m_exploreButton, m_saveTextButton,    m_workbookButton,
                           m_copyButton,    m_clearResultsButton};
    for (QCheckBox *box : m_lengthBoxes)
        order << box;
    order << m_extraLengths << m_lengthHelpButton << m_clearInputButton << m_samplesButton
          << m_promptForPassword;
    for (QWidget *frame : {m_runOptions->textFrame(), m_runOptions->scanFrame()}) {
        for (QWidget *control : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (control->focusPolicy() & Qt::TabFocus)
                order << control;
        }
    }
    order << m_helpButton << m_aboutButton;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

// Enter on the results opens the explorer at the current row, or the first when none is.
void MainWindow::openExplorerOnCurrentRow()
{
    const QModelIndex current = m_resultsList->currentIndex();
    openExplorer(current.isValid() ? current.row() : (m_results->rowCount() > 0 ? 0 : -1));
}

} // namespace orvanta
