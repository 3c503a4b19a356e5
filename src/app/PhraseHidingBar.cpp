#include "app/PhraseHidingBar.h"

#include "base/DialogService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace orvanta {

namespace {

constexpr auto kDefaultLanguage = "en";

struct ModeChoice {
    const char *caption;
    StopWordMode mode;
};

constexpr ModeChoice kModes[] = {
    {"Show them", StopWordMode::Off},
    {"Hide phrases made only of them", StopWordMode::OnlyStopWords},
    {"Also hide phrases that begin or end with one", StopWordMode::StopWordAtEdge},
};

} // namespace

PhraseHidingBar::PhraseHidingBar(DialogService &dialogs, QString title, QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
    , m_title(std::move(title))
    , m_stopWords(std::make_shared<const StopWords>())
{
    m_insideLonger =
        new QCheckBox(QStringLiteral("Hide phrases inside a longer one with the same frequency"));
    m_insideLonger->setObjectName(QStringLiteral("ExplorerHideInsideLonger"));
    m_mode = new QComboBox;
    m_mode->setObjectName(QStringLiteral("ExplorerStopWordMode"));
    for (const ModeChoice &choice : kModes)
        m_mode->addItem(QLatin1String(choice.caption));
    m_language = new QComboBox;
    m_language->setObjectName(QStringLiteral("ExplorerStopLanguage"));
    m_edit = new QPushButton(QStringLiteral("Edit List..."));
    m_edit->setObjectName(QStringLiteral("ExplorerEditStopWords"));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_insideLonger);
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("Stop words:")));
    row->addWidget(m_mode);
    row->addWidget(m_language);
    row->addWidget(m_edit);
    row->addStretch(1);

    connect(m_insideLonger, &QCheckBox::toggled, this, &PhraseHidingBar::changed);
    connect(m_mode, &QComboBox::currentIndexChanged, this, [this] {
        if (refinement().stopWordMode != StopWordMode::Off && m_stopWords->isEmpty())
            languageChosen();
        emit changed();
    });
    connect(m_language, &QComboBox::activated, this, [this] {
        languageChosen();
        emit changed();
    });
    connect(m_edit, &QPushButton::clicked, this, &PhraseHidingBar::editList);
}

void PhraseHidingBar::setDataFolder(const QString &dataFolder)
{
    m_dataFolder = dataFolder;
    fillLanguages();
}

// The bundled lists whose files are there; a list is read when it is first needed.
void PhraseHidingBar::fillLanguages()
{
    m_language->clear();
    for (const StopLanguage &language : stopLanguages()) {
        const QString file = stopListFolder(m_dataFolder) + QLatin1Char('/') +
                             QLatin1String(language.code) + QStringLiteral(".txt");
        if (QFileInfo::exists(file))
            m_language->addItem(QLatin1String(language.name), QLatin1String(language.code));
    }
    const int english = m_language->findData(QLatin1String(kDefaultLanguage));
    if (english >= 0)
        m_language->setCurrentIndex(english);
}

void PhraseHidingBar::languageChosen()
{
    const QString code = m_language->currentData().toString();
    if (code.isEmpty())
        return; // the user's own list
    Result<StopWords> words = StopWords::forLanguage(code, m_dataFolder);
    if (!words) {
        m_dialogs.message(words.error(), m_title, DialogService::Icon::Warning);
        m_stopWords = std::make_shared<const StopWords>();
        return;
    }
    m_stopWords = std::make_shared<const StopWords>(std::move(*words));
}

void PhraseHidingBar::editList()
{
    if (m_stopWords->isEmpty())
        languageChosen();
    const std::optional<QString> edited =
        m_dialogs.editText(QStringLiteral("Stop words, parted by spaces or on lines of their own:"),
                           m_title, m_stopWords->words().join(QLatin1Char('\n')));
    if (!edited)
        return;
    m_stopWords = std::make_shared<const StopWords>(StopWords::fromText(edited->toUtf8()));
    showOwnList();
    emit changed();
}

void PhraseHidingBar::showOwnList()
{
    int own = m_language->findData(QString());
    if (own < 0) {
        m_language->addItem(QStringLiteral("Own list"), QString());
        own = m_language->count() - 1;
    }
    m_language->setCurrentIndex(own);
}

void PhraseHidingBar::showEverything()
{
    m_insideLonger->setChecked(false);
    m_mode->setCurrentIndex(0);
}

ListRefinement PhraseHidingBar::refinement() const
{
    ListRefinement refinement;
    refinement.hideInsideLonger = m_insideLonger->isChecked();
    refinement.stopWords = m_stopWords;
    refinement.stopWordMode = kModes[std::max(0, m_mode->currentIndex())].mode;
    return refinement;
}

} // namespace orvanta
