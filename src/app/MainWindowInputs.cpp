// The main window's input list: files added one by one, from a folder's tree, by dropping, and
// the samples.

#include "app/MainWindow.h"

#include "app/InputListWork.h"
#include "app/StoredChoices.h"
#include "app/StoredNames.h"
#include "base/DialogService.h"
#include "base/ProgramInfo.h"
#include "filelist/FileAttributes.h"
#include "filelist/FileDrop.h"
#include "filelist/SampleFiles.h"
#include "phrases/LengthList.h"
#include "results/DesktopOpener.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTreeWidget>

namespace orvanta {

namespace {

namespace operations = stored_names::operations;

QString tag(const char *operation)
{
    return locationTag(QLatin1String(operations::kModule), QLatin1String(operation));
}

} // namespace

// Input list

QStringList MainWindow::inputFiles() const
{
    QStringList paths;
    for (int i = 0; i < m_inputList->topLevelItemCount(); ++i)
        paths << m_inputList->topLevelItem(i)->text(0);
    return paths;
}

void MainWindow::addInputFiles(const QStringList &paths)
{
    for (const QString &path : paths)
        m_inputList->addTopLevelItem(new QTreeWidgetItem(QStringList{path}));
    runAdmissionCheck();
}

void MainWindow::openPaths(const QStringList &paths)
{
    setPointerMode(Hourglass);
    m_inputWork->walkOpened(paths);
    showStopWhileBusy();
}

void MainWindow::addFiles()
{
    TrappedOperation operation(tag(operations::kAddFiles), errorSink());
    QStringList chosen;
    operation.step([&] {
        chosen =
            m_dialogs.openFiles(QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
                                QStringLiteral("PDF Files (*.pdf)"));
    });
    operation.step([&] { addInputFiles(chosen); });
}

void MainWindow::clearInputList()
{
    TrappedOperation operation(tag(operations::kClearInput), errorSink());
    operation.step([&] {
        if (!isBusy())
            m_inputList->clear();
    });
}

void MainWindow::removeCurrentInput()
{
    if (isBusy() || m_inputList->topLevelItemCount() == 0)
        return;
    QTreeWidgetItem *selected = m_inputList->currentItem();
    if (selected && selected->isSelected())
        delete selected;
}

// Folder scan, drops and samples

void MainWindow::addFolder()
{
    TrappedOperation operation(tag(operations::kAddFolder), errorSink());
    QString folder;
    operation.step([&] { folder = chooseScanFolder(m_dialogs, m_settings); });
    if (folder.isEmpty()) {
        runAdmissionCheck();
        return;
    }
    setPointerMode(Hourglass); // a scan shows the busy pointer; a drop does not
    m_inputWork->walk(QStringList{folder}, /*scan=*/true);
    showStopWhileBusy();
}

bool MainWindow::isDropEvent(QEvent::Type type)
{
    return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
}

bool MainWindow::handleDrop(QEvent *event)
{
    auto *drop = static_cast<QDropEvent *>(event);
    const QStringList dropped = droppedPaths(*drop->mimeData());
    if (dropped.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        m_inputWork->walk(dropped, /*scan=*/false);
        showStopWhileBusy();
    }
    return true;
}

void MainWindow::walkFinished(const ScanResult &found, bool scan)
{
    if (scan)
        setPointerMode(DefaultPointer);
    addInputFiles(found.rows);
    showStopWhileBusy();
    if (found.skippedNames > 0)
        m_status->setText(skippedNamesText(found.skippedNames));
}

void MainWindow::loadSamples()
{
    TrappedOperation operation(tag(operations::kLoadSamples), errorSink());
    operation.step([&] {
        refreshSamplesSnapshot(m_dataDir, m_settings);
        for (const QString &path : sampleFilesToAdd(m_settings, inputFiles()))
            m_inputList->addTopLevelItem(new QTreeWidgetItem(QStringList{path}));
        const QString folder = samplesFolder(m_dataDir);
        if (!isFolder(folder))
            m_dialogs.message(QLatin1String(kSamplesMissing).arg(folder), applicationTitle());
        else if (m_dialogs.question(QLatin1String(kSampleQuestion), applicationTitle()) &&
                 !(m_openFolder ? m_openFolder : openWithDesktopProgram)(folder))
            m_dialogs.message(cannotOpenMessage(folder), applicationTitle());
    });
    operation.step([&] {
        for (int i = 0; i < kListedLengthCount; ++i)
            m_lengthBoxes[size_t(i)]->setChecked(i == 2);
    });
    operation.step([&] { m_extraLengths->clear(); });
    operation.step([&] { runAdmissionCheck(); });
}

} // namespace orvanta
