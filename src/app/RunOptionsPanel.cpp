#include "app/RunOptionsPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>

namespace orvanta {

namespace {

constexpr int kFrameWidth = 520;
constexpr int kFrameHeight = 85;
constexpr int kLeftColumn = 8;
constexpr int kRightColumn = 536;

struct TextBox {
    const char *name;
    const char *caption;
    bool TextOptions::*member;
};

// In the order of TextOptions::namesOfThoseOn(): three down the left, three down the right.
constexpr TextBox kTextBoxes[] = {
    {"JoinWrappedLines", "Join wrapped lines", &TextOptions::joinWrappedLines},
    {"RejoinHyphenatedWords", "Rejoin hyphenated words", &TextOptions::rejoinHyphenatedWords},
    {"DropRunningHeads", "Leave out running heads and feet", &TextOptions::dropRunningHeads},
    {"IgnorePunctuation", "Ignore punctuation at word ends", &TextOptions::ignorePunctuation},
    {"NormaliseCompatibility", "Normalise compatibility characters",
     &TextOptions::normaliseCompatibility},
    {"WordsNeedLetters", "Words need a letter or digit", &TextOptions::wordsNeedLetters},
};

QGroupBox *createFrame(const char *name, const QString &title, QWidget *window, const QRect &at)
{
    auto *frame = new QGroupBox(title, window);
    frame->setObjectName(QLatin1String(name));
    frame->setGeometry(at);
    return frame;
}

} // namespace

RunOptionsPanel::RunOptionsPanel(QWidget *window, const Place &place, int top,
                                 QStringList installedLanguages)
    : QObject(window)
    , m_installed(std::move(installedLanguages))
    , m_languages(RunPreferences().languages)
{
    createTextFrame(window, place, top);
    createScanFrame(window, place, top);
}

void RunOptionsPanel::createTextFrame(QWidget *window, const Place &place, int top)
{
    m_textFrame = createFrame("TextOptionsFrame", QStringLiteral("Text Options"), window,
                              place({kLeftColumn, top, kFrameWidth, kFrameHeight}));
    for (size_t i = 0; i < m_textBoxes.size(); ++i) {
        auto *box = new QCheckBox(QLatin1String(kTextBoxes[i].caption), m_textFrame);
        box->setObjectName(QLatin1String(kTextBoxes[i].name));
        const int left = i < 3 ? 16 : 267;
        box->setGeometry(place({left, 20 + 20 * int(i % 3), 247, 17}));
        connect(box, &QCheckBox::clicked, this, &RunOptionsPanel::changed);
        m_textBoxes[i] = box;
    }
}

// Beside "Read scanned pages with OCR", the one free place: "None" or a limit in MiB.
void RunOptionsPanel::createMemoryLimitField(const Place &place)
{
    auto *label = new QLabel(QStringLiteral("Memory limit:"), m_scanFrame);
    label->setObjectName(QStringLiteral("MemoryLimitLabel"));
    label->setGeometry(place({262, 21, 88, 15}));
    m_memoryLimit = new QSpinBox(m_scanFrame);
    m_memoryLimit->setObjectName(QStringLiteral("MemoryLimit"));
    m_memoryLimit->setGeometry(place({352, 17, 150, 22}));
    m_memoryLimit->setRange(kLeastMemoryLimitMiB - 1, 1 << 20);
    m_memoryLimit->setSingleStep(256);
    m_memoryLimit->setSpecialValueText(QStringLiteral("None"));
    m_memoryLimit->setSuffix(QStringLiteral(" MiB"));
    m_memoryLimit->setToolTip(QStringLiteral(
        "Count within this much memory, keeping the phrases in temporary files on disk while "
        "counting; the results are the same. For texts too big to count in memory."));
    label->setBuddy(m_memoryLimit);
    connect(m_memoryLimit, &QSpinBox::valueChanged, this, &RunOptionsPanel::changed);
}

void RunOptionsPanel::createScanFrame(QWidget *window, const Place &place, int top)
{
    m_scanFrame = createFrame("ScanOptionsFrame", QStringLiteral("Scanned Pages"), window,
                              place({kRightColumn, top, kFrameWidth, kFrameHeight}));
    m_readScans = new QCheckBox(QStringLiteral("Read scanned pages with OCR"), m_scanFrame);
    m_readScans->setObjectName(QStringLiteral("ReadScannedPages"));
    m_readScans->setGeometry(place({16, 20, 240, 17}));
    m_readScans->setToolTip(QStringLiteral("Pages that are pictures of text are read by text "
                                           "recognition (OCR), which takes a while and may get "
                                           "words wrong."));
    connect(m_readScans, &QCheckBox::clicked, this, &RunOptionsPanel::changed);

    auto *label = new QLabel(QStringLiteral("Recognition languages:"), m_scanFrame);
    label->setObjectName(QStringLiteral("RecognitionLanguagesLabel"));
    label->setGeometry(place({16, 48, 160, 15}));
    m_languageButton = new QToolButton(m_scanFrame);
    m_languageButton->setObjectName(QStringLiteral("RecognitionLanguages"));
    m_languageButton->setGeometry(place({180, 44, 187, 23}));
    m_languageButton->setPopupMode(QToolButton::InstantPopup);
    m_languageButton->setToolTip(QStringLiteral("The languages of the scanned pages; tick "
                                                "every language they are written in."));
    m_languageMenu = new QMenu(m_languageButton);
    m_languageMenu->setObjectName(QStringLiteral("RecognitionLanguageMenu"));
    m_languageButton->setMenu(m_languageMenu);
    fillLanguageMenu();
    createMemoryLimitField(place);
}

// The installed languages, and any chosen one that is no longer installed, so it can be
// unticked; the run names what is missing.
void RunOptionsPanel::fillLanguageMenu()
{
    m_languageMenu->clear();
    QStringList offered = m_installed;
    for (const QString &language : m_languages) {
        if (!offered.contains(language))
            offered << language;
    }
    for (const QString &language : offered) {
        QAction *action = m_languageMenu->addAction(language);
        action->setCheckable(true);
        action->setChecked(m_languages.contains(language));
        connect(action, &QAction::triggered, this, &RunOptionsPanel::languageToggled);
    }
    showLanguages();
}

// At least one language stays ticked.
void RunOptionsPanel::languageToggled()
{
    QStringList ticked;
    for (const QAction *action : m_languageMenu->actions()) {
        if (action->isChecked())
            ticked << action->text();
    }
    if (ticked.isEmpty()) {
        if (auto *action = qobject_cast<QAction *>(sender()))
            action->setChecked(true);
        return;
    }
    m_languages = ticked;
    showLanguages();
    emit changed();
}

void RunOptionsPanel::showLanguages()
{
    m_languageButton->setText(m_languages.join(QLatin1Char('+')));
}

RunPreferences RunOptionsPanel::preferences() const
{
    RunPreferences preferences;
    for (size_t i = 0; i < m_textBoxes.size(); ++i)
        preferences.text.*kTextBoxes[i].member = m_textBoxes[i]->isChecked();
    preferences.readScannedPages = m_readScans->isChecked();
    preferences.languages = m_languages;
    if (m_memoryLimit->value() >= kLeastMemoryLimitMiB)
        preferences.memoryLimitMiB = m_memoryLimit->value();
    return preferences;
}

void RunOptionsPanel::setPreferences(const RunPreferences &preferences)
{
    for (size_t i = 0; i < m_textBoxes.size(); ++i)
        m_textBoxes[i]->setChecked(preferences.text.*kTextBoxes[i].member);
    m_readScans->setChecked(preferences.readScannedPages);
    m_languages = preferences.languages;
    fillLanguageMenu();
    const QSignalBlocker quiet(m_memoryLimit);
    m_memoryLimit->setValue(std::max(preferences.memoryLimitMiB, kLeastMemoryLimitMiB - 1));
}

} // namespace orvanta
