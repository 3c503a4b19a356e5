// The main window's stored preferences: the ticks, the numbers typed and the run options.

#include "app/MainWindow.h"

#include "app/RunOptionsPanel.h"
#include "app/RunPreferences.h"
#include "app/StoredNames.h"
#include "base/DialogService.h"
#include "base/SettingsStore.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScreen>

namespace orvanta {

namespace {

namespace keys = stored_names::keys;

} // namespace

void MainWindow::restorePreferences()
{
    const auto isOn = [this](const QString &key) {
        return m_settings.readText(key, QStringLiteral("0")).toInt() != 0;
    };
    m_promptForPassword->setChecked(isOn(QLatin1String(keys::kPromptForPassword)));
    for (int i = 0; i < kListedLengthCount; ++i)
        m_lengthBoxes[size_t(i)]->setChecked(isOn(keys::lengthBoxKey(i)));
    m_extraLengths->setText(m_settings.readText(QLatin1String(keys::kExtraLengths)));
    m_runOptions->setPreferences(RunPreferences::read(m_settings));
}

// A store that cannot be written is said once; the choices then last until the window closes.
void MainWindow::storePreference(const QString &key, const QString &text)
{
    if (m_settings.writeText(key, text) || std::exchange(m_toldPreferencesUnsaved, true))
        return;
    m_dialogs.message(QLatin1String(kPreferencesUnsaved), applicationTitle(),
                      DialogService::Icon::Warning);
}

void MainWindow::promptForPasswordChanged()
{
    storePreference(QLatin1String(keys::kPromptForPassword),
                    QString::number(m_promptForPassword->isChecked() ? 1 : 0));
}

void MainWindow::lengthBoxChanged(int index)
{
    storePreference(keys::lengthBoxKey(index),
                    QString::number(m_lengthBoxes[size_t(index)]->isChecked() ? 1 : 0));
}

void MainWindow::runOptionsChanged()
{
    for (const auto &[key, text] : m_runOptions->preferences().entries())
        storePreference(key, text);
}

void MainWindow::restoreWindowPlace()
{
    const QByteArray stored =
        QByteArray::fromBase64(m_settings.readText(QLatin1String(keys::kWindowPlace)).toLatin1());
    if (!stored.isEmpty() && restoreGeometry(stored))
        return;
    if (const QScreen *shown = screen())
        resize(firstStartSize(designedSize(), shown->availableSize()));
}

void MainWindow::storeWindowPlace()
{
    m_settings.writeText(QLatin1String(keys::kWindowPlace),
                         QString::fromLatin1(saveGeometry().toBase64()));
}

} // namespace orvanta
