#pragma once

#include "base/DialogService.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace orvanta {

// Answers every dialog from a script and records what it was asked to show. A question that no
// answer was scripted for fails the test.
class ScriptedDialogService final : public DialogService {
public:
    struct Shown {
        QString kind; // "message", "question", "input", "edit", "open", "save", "folder", "about"
        QString text;
        QString title;
        Icon icon = Icon::None;
        bool masked = false;
    };

    void message(const QString &text, const QString &title, Icon icon) override
    {
        shown.push_back({QStringLiteral("message"), text, title, icon});
    }
    bool question(const QString &text, const QString &title) override
    {
        shown.push_back({QStringLiteral("question"), text, title});
        if (answers.empty()) {
            ADD_FAILURE() << "unscripted question: " << text.toStdString();
            return false;
        }
        return takeFront(answers, false);
    }
    std::optional<QString> input(const QString &prompt, const QString &title, bool masked) override
    {
        shown.push_back({QStringLiteral("input"), prompt, title, Icon::None, masked});
        if (inputs.empty())
            return std::nullopt;
        const bool cancelled = !inputs.front().has_value();
        const QString answer = inputs.front().value_or(QString());
        inputs.pop_front();
        return cancelled ? std::nullopt : std::optional<QString>(answer);
    }
    // Answered from `inputs` as well; records the text it starts with.
    std::optional<QString> editText(const QString &, const QString &title,
                                    const QString &text) override
    {
        shown.push_back({QStringLiteral("edit"), text, title});
        if (inputs.empty())
            return std::nullopt;
        const bool cancelled = !inputs.front().has_value();
        const QString answer = inputs.front().value_or(QString());
        inputs.pop_front();
        return cancelled ? std::nullopt : std::optional<QString>(answer);
    }
    QStringList openFiles(const QString &title, const QString &filter) override
    {
        shown.push_back({QStringLiteral("open"), filter, title});
        return takeFront(openResults, QStringList());
    }
    QString saveFile(const QString &title, const QString &filter) override
    {
        shown.push_back({QStringLiteral("save"), filter, title});
        return takeFront(saveResults, QString());
    }
    QString chooseFolder(const QString &title, const QString &startFolder) override
    {
        shown.push_back({QStringLiteral("folder"), startFolder, title});
        return takeFront(folderResults, QString());
    }
    void about(const QString &text, const QString &title) override
    {
        shown.push_back({QStringLiteral("about"), text, title});
    }

    // The texts of the message boxes shown, in order.
    QStringList messages() const
    {
        QStringList texts;
        for (const Shown &s : shown) {
            if (s.kind == QLatin1String("message"))
                texts << s.text;
        }
        return texts;
    }

    std::vector<Shown> shown;
    std::deque<bool> answers;
    std::deque<std::optional<QString>> inputs;
    std::deque<QStringList> openResults;
    std::deque<QString> saveResults;
    std::deque<QString> folderResults;

private:
    template <typename T, typename Fallback>
    static T takeFront(std::deque<T> &queue, Fallback fallback)
    {
        if (queue.empty())
            return T(fallback);
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

} // namespace orvanta
