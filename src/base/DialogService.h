#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace orvanta {

// Every message box, input box, file dialog and folder chooser of the window goes through this,
// so that tests can answer them. Texts may separate paragraphs with CRs; the real service shows
// them as line breaks.
class DialogService {
public:
    enum class Icon { None, Information, Warning, Critical };

    virtual ~DialogService() = default;

    virtual void message(const QString &text, const QString &title, Icon icon = Icon::None) = 0;
    // Yes or No; true for Yes.
    virtual bool question(const QString &text, const QString &title) = 0;
    // The typed text, or nothing when the box was cancelled.
    virtual std::optional<QString> input(const QString &prompt, const QString &title,
                                         bool masked) = 0;
    // The text as edited in a box of several lines that starts with `text`, or nothing when the
    // box was cancelled.
    virtual std::optional<QString> editText(const QString &prompt, const QString &title,
                                            const QString &text) = 0;
    // Chosen files; empty when cancelled.
    virtual QStringList openFiles(const QString &title, const QString &filter) = 0;
    // The chosen path; empty when cancelled.
    virtual QString saveFile(const QString &title, const QString &filter) = 0;
    // The chosen folder; empty when cancelled.
    virtual QString chooseFolder(const QString &title, const QString &startFolder) = 0;
    // The About box: the text beside the program's icon.
    virtual void about(const QString &text, const QString &title) = 0;
};

} // namespace orvanta
