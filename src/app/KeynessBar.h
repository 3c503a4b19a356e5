#pragma once

#include "results/ResultKeyness.h"

#include <QWidget>

#include <memory>
#include <span>

class QComboBox;
class QLabel;

namespace orvanta {

// Above the explorer's phrases when the run counted a reference set: the words of the target
// and of the reference, and the choice of the phrases in either set or both; or, when the sets
// cannot be compared, why.
class KeynessBar final : public QWidget {
    Q_OBJECT
public:
    explicit KeynessBar(QWidget *parent = nullptr);

    // Compares the results' target files with their reference files (`sets`, by the run's file
    // index). The bar shows only when a file is a reference and the corpus is known. The keyness
    // to list, or null when there is none.
    std::shared_ptr<const ResultKeyness> compare(std::shared_ptr<const PhraseResults> results,
                                                 const CorpusSize &corpus,
                                                 std::span<const FileSet> sets);

    SetPresence presence() const;
    void setPresence(SetPresence presence);

signals:
    void presenceChanged();

private:
    QLabel *m_line = nullptr;
    QLabel *m_presenceLabel = nullptr;
    QComboBox *m_presence = nullptr;
};

} // namespace orvanta
