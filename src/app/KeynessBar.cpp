#include "app/KeynessBar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

#include <algorithm>

namespace orvanta {

namespace {

constexpr auto kNeedsCountsByFile =
    "The target and the reference cannot be compared: a count within a memory limit does not "
    "keep the counts by file.";

bool hasReference(std::span<const FileSet> sets)
{
    return std::find(sets.begin(), sets.end(), FileSet::Reference) != sets.end();
}

QString wordsLine(const ResultKeyness &keyness)
{
    return QStringLiteral("Compared with the reference: %L1 words in the target, %L2 in the "
                          "reference.")
        .arg(keyness.targetWords())
        .arg(keyness.referenceWords());
}

} // namespace

KeynessBar::KeynessBar(QWidget *parent)
    : QWidget(parent)
{
    m_line = new QLabel(this);
    m_line->setObjectName(QStringLiteral("ExplorerKeynessLine"));
    m_line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_presence = new QComboBox(this);
    m_presence->setObjectName(QStringLiteral("ExplorerPresence"));
    // In the order of SetPresence.
    m_presence->addItems({QStringLiteral("All"), QStringLiteral("Only in the target"),
                          QStringLiteral("Only in the reference"), QStringLiteral("In both")});
    m_presenceLabel = new QLabel(QStringLiteral("Show:"), this);
    m_presenceLabel->setBuddy(m_presence);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_line, 1);
    row->addWidget(m_presenceLabel);
    row->addWidget(m_presence);
    connect(m_presence, &QComboBox::currentIndexChanged, this, &KeynessBar::presenceChanged);
    hide();
}

std::shared_ptr<const ResultKeyness>
KeynessBar::compare(std::shared_ptr<const PhraseResults> results, const CorpusSize &corpus,
                    std::span<const FileSet> sets)
{
    const bool compared = hasReference(sets) && corpus.files > 0;
    setVisible(compared);
    if (!compared)
        return nullptr;
    std::shared_ptr<const ResultKeyness> keyness;
    if (!results->isEmpty() && !results->hasFileCounts()) {
        m_line->setText(QLatin1String(kNeedsCountsByFile));
    } else {
        Result<ResultKeyness> made = ResultKeyness::make(std::move(results), corpus, sets);
        m_line->setText(made ? wordsLine(*made) : made.error());
        if (made)
            keyness = std::make_shared<const ResultKeyness>(std::move(*made));
    }
    m_presenceLabel->setVisible(keyness != nullptr);
    m_presence->setVisible(keyness != nullptr);
    return keyness;
}

SetPresence KeynessBar::presence() const
{
    return SetPresence(std::max(0, m_presence->currentIndex()));
}

void KeynessBar::setPresence(SetPresence presence)
{
    m_presence->setCurrentIndex(int(presence));
}

} // namespace orvanta
