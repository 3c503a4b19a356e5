#include "app/WidgetDialogService.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace orvanta {

namespace {

QString withLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QMessageBox::Icon boxIcon(DialogService::Icon icon)
{
    switch (icon) {
    case DialogService::Icon::Information:
        return QMessageBox::Information;
    case DialogService::Icon::Warning:
        return QMessageBox::Warning;
    case DialogService::Icon::Critical:
        return QMessageBox::Critical;
    case DialogService::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void WidgetDialogService::message(const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(boxIcon(icon), title, withLineBreaks(text), QMessageBox::Ok, m_owner);
    box.exec();
}

bool WidgetDialogService::question(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, withLineBreaks(text),
                    QMessageBox::Yes | QMessageBox::No, m_owner);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> WidgetDialogService::input(const QString &prompt, const QString &title,
                                                  bool masked)
{
    bool accepted = false;
    const QString text = QInputDialog::getText(m_owner, title, withLineBreaks(prompt),
                                               masked ? QLineEdit::Password : QLineEdit::Normal,
                                               QString(), &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

std::optional<QString> WidgetDialogService::editText(const QString &prompt, const QString &title,
                                                     const QString &text)
{
    bool accepted = false;
    const QString edited =
        QInputDialog::getMultiLineText(m_owner, title, withLineBreaks(prompt), text, &accepted);
    if (!accepted)
        return std::nullopt;
    return edited;
}

QStringList WidgetDialogService::openFiles(const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileNames(m_owner, title, QString(), filter);
}

QString WidgetDialogService::saveFile(const QString &title, const QString &filter)
{
    return QFileDialog::getSaveFileName(m_owner, title, QString(), filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString WidgetDialogService::chooseFolder(const QString &title, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(m_owner, title, startFolder);
}

void WidgetDialogService::about(const QString &text, const QString &title)
{
    QMessageBox::about(m_owner, title, withLineBreaks(text));
}

} // namespace orvanta
