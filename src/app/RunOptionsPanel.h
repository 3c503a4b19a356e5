#pragma once

#include "app/RunPreferences.h"

#include <QObject>
#include <QRect>

#include <array>
#include <functional>

class QCheckBox;
class QGroupBox;
class QMenu;
class QSpinBox;
class QToolButton;
class QWidget;

namespace orvanta {

// The main window's two frames for how a run reads its texts: "Text Options" with a tick box
// for each text option, and "Scanned Pages" with the tick box for text recognition and a menu
// of the installed recognition languages; and the field for the memory limit of a run. It only
// shows the choices; the window stores them and hands them to the run.
class RunOptionsPanel final : public QObject {
    Q_OBJECT
public:
    // Turns a designed place into the window's pixels.
    using Place = std::function<QRect(const QRect &designed)>;

    // The frames are made on `window`, at `top`, one under each column of the window.
    RunOptionsPanel(QWidget *window, const Place &place, int top, QStringList installedLanguages);

    QGroupBox *textFrame() const { return m_textFrame; }
    QGroupBox *scanFrame() const { return m_scanFrame; }

    RunPreferences preferences() const;
    // Shows the choices without signalling a change.
    void setPreferences(const RunPreferences &preferences);

signals:
    // The user ticked or unticked a box or a language.
    void changed();

private:
    void createTextFrame(QWidget *window, const Place &place, int top);
    void createScanFrame(QWidget *window, const Place &place, int top);
    void createMemoryLimitField(const Place &place);
    void fillLanguageMenu();
    void languageToggled();
    void showLanguages();

    std::array<QCheckBox *, 6> m_textBoxes{};
    QGroupBox *m_textFrame = nullptr;
    QGroupBox *m_scanFrame = nullptr;
    QCheckBox *m_readScans = nullptr;
    QToolButton *m_languageButton = nullptr;
    QMenu *m_languageMenu = nullptr;
    QSpinBox *m_memoryLimit = nullptr;
    QStringList m_installed;
    QStringList m_languages;
};

} // namespace orvanta
