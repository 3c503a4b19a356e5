#pragma once

// The window tests' fixture: a real MainWindow with a scripted dialog service, its own settings
// file and its own private temporary folder.

#include "Fixtures.h"
#include "ScriptedDialogService.h"
#include "TestSupport.h"
#include "app/MainWindow.h"
#include "app/StoredNames.h"
#include "base/SettingsStore.h"
#include "documents/TextStore.h"
#include "results/ResultsModel.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

namespace orvanta {

namespace objects = stored_names::objects;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { m_settingsFile = m_tmp.filePath(QStringLiteral("settings.ini")); }
    void TearDown() override { m_window.reset(); }

    // What lies in the private temporary folder: the folder of a window while it is open.
    QStringList privateFolderEntries() const
    {
        return m_tmp.entries(QStringLiteral("orvanta-") + QString::number(::geteuid()));
    }

    MainWindow &open(const QString &appDir = QStringLiteral(ORVANTA_BIN_DIR))
    {
        m_window.reset();
        m_settings = std::make_unique<SettingsStore>(m_settingsFile);
        m_window = std::make_unique<MainWindow>(m_dialogs, *m_settings, appDir);
        m_window->startUp();
        m_window->show();
        return *m_window;
    }

    template <typename T> T *child(const char *name)
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }

    QCheckBox *lengthBox(int length)
    {
        for (QCheckBox *box :
             m_window->findChildren<QCheckBox *>(QLatin1String(objects::kLengthBox))) {
            if (box->property("index").toInt() == length - 2)
                return box;
        }
        return nullptr;
    }

    void addFiles(const QStringList &paths)
    {
        QSignalSpy checked(m_window.get(), &MainWindow::admissionCheckFinished);
        m_dialogs.openResults.push_back(paths);
        child<QPushButton>(objects::kAddFilesButton)->click();
        ASSERT_TRUE(checked.wait(60000));
    }

    void count()
    {
        QSignalSpy counted(m_window.get(), &MainWindow::countingFinished);
        child<QPushButton>(objects::kCountButton)->click();
        ASSERT_TRUE(counted.count() > 0 || counted.wait(60000));
    }

    // Presses an export's button and waits until its file is written.
    void exportWith(const char *button)
    {
        QSignalSpy finished(m_window.get(), &MainWindow::exportFinished);
        child<QPushButton>(button)->click();
        ASSERT_TRUE(finished.count() > 0 || finished.wait(60000));
    }

    // Every row as "phrase|words|frequency".
    QStringList resultTexts()
    {
        QStringList rows;
        ResultsModel &model = m_window->results();
        for (int r = 0; r < model.rowCount(); ++r) {
            rows << model.cellText(r, 0) + QLatin1Char('|') + model.cellText(r, 1) +
                        QLatin1Char('|') + model.cellText(r, 2);
        }
        return rows;
    }

    ScopedTmpdir m_tmp;
    QString m_settingsFile; // may be changed before open()
    ScriptedDialogService m_dialogs;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace orvanta
