#pragma once

#include "app/PairText.h"
#include "run/OverlapSearch.h"

#include <QPointer>
#include <QSyntaxHighlighter>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace orvanta {

class BackgroundJob;
class DialogService;
class PageView;

// Two files of a pair side by side, read off the window thread: both texts with the stretches
// each shares with the other marked, buttons (F3 and Shift+F3 on the side last used) that go to
// the next and previous shared stretch, where each stands, and the page of the stretch gone to
// drawn as "Where it occurs" draws it.
class PairView final : public QWidget {
    Q_OBJECT
public:
    enum Side { First, Second };

    PairView(DialogService &dialogs, QString title, QWidget *parent = nullptr);
    ~PairView() override;

    void setOpener(std::function<bool(const QString &)> open);
    // Reads the two files of `texts` again and shows them with the stretches `overlap` gives.
    void showPair(std::shared_ptr<const OverlapTexts> texts,
                  std::shared_ptr<const DocumentOverlap> overlap, int first, int second);
    // Stops the reading and the page drawing, and waits for them to end.
    void stop();

    // Goes to the next or previous stretch of a side, marks it and draws its page.
    void goToNext(Side side);
    void goToPrevious(Side side);

    QPlainTextEdit *textOf(Side side) const { return m_sides[side].text; }
    const std::optional<PairSideText> &sideText(Side side) const { return m_sides[side].shown; }
    int currentStretch(Side side) const { return m_sides[side].cursor.current(); }
    PageView &pageView() { return *m_page; }

signals:
    // Both texts are shown, or it is said why they cannot be.
    void pairShown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct SidePane {
        QLabel *caption = nullptr;
        QPlainTextEdit *text = nullptr;
        QLabel *place = nullptr;
        QPushButton *previous = nullptr;
        QPushButton *next = nullptr;
        QPointer<QSyntaxHighlighter> marks; // the shared stretches
        QString path;
        std::optional<PairSideText> shown;
        StretchCursor cursor;
    };

    // The two files read again, and each laid out as one text, off the window thread.
    struct Reading {
        PairReading pair;
        std::optional<PairSideText> first;
        std::optional<PairSideText> second;
    };

    QWidget *createSide(Side side, const char *name);
    void finishReading(Reading &reading);
    void showSide(Side side, const PairSide &pairSide, PairSideText shown,
                  const QString &otherPath);
    void markCurrent(Side side);
    void goTo(Side side, int stretch);

    std::array<SidePane, 2> m_sides;
    Side m_lastUsed = First;
    QLabel *m_status = nullptr;
    PageView *m_page = nullptr;
    BackgroundJob *m_job = nullptr;
    std::stop_source m_stop;
    std::shared_ptr<const OverlapTexts> m_texts;
};

} // namespace orvanta
