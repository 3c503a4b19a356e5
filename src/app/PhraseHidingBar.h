#pragma once

#include "results/ListRefinement.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace orvanta {

class DialogService;

// The explorer's choices of phrases to hide: those inside a longer one with the same frequency,
// and those of stop words, from a bundled list found in the "stopwords" folder or from a list
// the user edits. Loading a list that cannot be read is reported through the dialog service.
class PhraseHidingBar final : public QWidget {
    Q_OBJECT
public:
    PhraseHidingBar(DialogService &dialogs, QString title, QWidget *parent = nullptr);

    // Offers the lists of the folder "stopwords" in `dataFolder` (base/DataFolder.h).
    void setDataFolder(const QString &dataFolder);

    ListRefinement refinement() const;
    // Hides nothing more, keeping the list chosen.
    void showEverything();

signals:
    void changed();

private:
    void fillLanguages();
    void languageChosen();
    void editList();
    void showOwnList();

    DialogService &m_dialogs;
    QString m_title;
    QString m_dataFolder;
    std::shared_ptr<const StopWords> m_stopWords;
    QCheckBox *m_insideLonger = nullptr;
    QComboBox *m_mode = nullptr;
    QComboBox *m_language = nullptr;
    QPushButton *m_edit = nullptr;
};

} // namespace orvanta
