#pragma once

#include "base/DialogService.h"

class QWidget;

namespace orvanta {

// The real dialogs: QMessageBox, QInputDialog and QFileDialog, owned by the given window.
class WidgetDialogService final : public DialogService {
public:
    explicit WidgetDialogService(QWidget *owner = nullptr)
        : m_owner(owner)
    {
    }
    void setOwner(QWidget *owner) { m_owner = owner; }

    void message(const QString &text, const QString &title, Icon icon) override;
    bool question(const QString &text, const QString &title) override;
    std::optional<QString> input(const QString &prompt, const QString &title, bool masked) override;
    std::optional<QString> editText(const QString &prompt, const QString &title,
                                    const QString &text) override;
    QStringList openFiles(const QString &title, const QString &filter) override;
    QString saveFile(const QString &title, const QString &filter) override;
    QString chooseFolder(const QString &title, const QString &startFolder) override;
    void about(const QString &text, const QString &title) override;

private:
    QWidget *m_owner;
};

} // namespace orvanta
