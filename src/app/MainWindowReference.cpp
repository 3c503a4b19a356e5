// The main window's reference set: listed files marked as the reference that the others, the
// target, are compared with in the explorer.

#include "app/MainWindow.h"

#include "app/WholeNameTips.h"
#include "filelist/ReferenceMarks.h"

#include <QAction>
#include <QTreeWidget>

#include <algorithm>

namespace orvanta {

namespace {

bool isReference(const QTreeWidgetItem &item)
{
    return !item.data(0, kCellNoteRole).toString().isEmpty();
}

void setReference(QTreeWidgetItem &item, bool reference)
{
    item.setData(0, kCellNoteRole, reference ? QLatin1String(kReferenceNote) : QString());
}

QAction *createMarkAction(const char *name, const QString &caption, const QKeySequence &key,
                          QWidget *list)
{
    auto *action = new QAction(caption, list);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setEnabled(false);
    list->addAction(action);
    return action;
}

} // namespace

void MainWindow::createReferenceActions()
{
    m_markReference = createMarkAction("MarkAsReferenceAction", QStringLiteral("Mark as Reference"),
                                       QKeySequence(Qt::CTRL | Qt::Key_R), m_inputList);
    m_markTarget = createMarkAction("MarkAsTargetAction", QStringLiteral("Mark as Target"),
                                    QKeySequence(Qt::CTRL | Qt::Key_T), m_inputList);
    m_inputList->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_markReference, &QAction::triggered, this, [this] { markSelectedInputs(true); });
    connect(m_markTarget, &QAction::triggered, this, [this] { markSelectedInputs(false); });
    connect(m_inputList, &QTreeWidget::itemSelectionChanged, this, &MainWindow::showMarkChoices);
}

void MainWindow::markSelectedInputs(bool reference)
{
    for (QTreeWidgetItem *item : m_inputList->selectedItems())
        setReference(*item, reference);
    showMarkChoices();
}

void MainWindow::showMarkChoices()
{
    std::vector<bool> selected;
    for (const QTreeWidgetItem *item : m_inputList->selectedItems())
        selected.push_back(isReference(*item));
    const MarkChoices choices = markChoices(selected);
    m_markReference->setEnabled(choices.markAsReference);
    m_markTarget->setEnabled(choices.markAsTarget);
}

std::vector<bool> MainWindow::inputMarks() const
{
    std::vector<bool> marks;
    for (int i = 0; i < m_inputList->topLevelItemCount(); ++i)
        marks.push_back(isReference(*m_inputList->topLevelItem(i)));
    return marks;
}

void MainWindow::markInputs(const QStringList &referencePaths)
{
    const std::vector<bool> marks = marksOf(inputFiles(), referencePaths);
    for (int i = 0; i < m_inputList->topLevelItemCount(); ++i)
        setReference(*m_inputList->topLevelItem(i), marks[size_t(i)]);
    showMarkChoices();
}

std::vector<FileSet> MainWindow::fileSetsOf(const std::vector<bool> &marks)
{
    if (std::none_of(marks.begin(), marks.end(), [](bool mark) { return mark; }))
        return {};
    std::vector<FileSet> sets;
    for (const bool reference : marks)
        sets.push_back(reference ? FileSet::Reference : FileSet::Target);
    return sets;
}

} // namespace orvanta
