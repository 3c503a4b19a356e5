#include "app/PairView.h"

#include "app/BackgroundJob.h"
#include "app/PageView.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QVBoxLayout>

namespace orvanta {

namespace {

const QColor kSharedColour(0xff, 0xe0, 0x82);
const QColor kCurrentColour(0xff, 0x98, 0x00);

QString sharedText(std::uint32_t shared, std::uint32_t words)
{
    return QStringLiteral("%1 of %2 words shared (%3%)")
        .arg(shared)
        .arg(words)
        .arg(words == 0 ? 0.0 : 100.0 * shared / words, 0, 'f', 1);
}

// Marks the shared stretches paragraph by paragraph as the text is laid out, which costs far
// less than a selection per stretch on a text of hundreds of pages.
class StretchMarks final : public QSyntaxHighlighter {
public:
    StretchMarks(std::vector<TextSpan> spans, QTextDocument *document)
        : QSyntaxHighlighter(document)
        , m_spans(std::move(spans))
    {
        m_format.setBackground(kSharedColour);
    }

protected:
    void highlightBlock(const QString &text) override
    {
        const int begin = currentBlock().position();
        for (const TextSpan &span : spansWithin(m_spans, begin, begin + int(text.size())))
            setFormat(span.start, span.length, m_format);
    }

private:
    std::vector<TextSpan> m_spans;
    QTextCharFormat m_format;
};

} // namespace

PairView::PairView(DialogService &dialogs, QString title, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_job(new BackgroundJob(this))
{
    setObjectName(QStringLiteral("PairView"));
    setWindowTitle(QStringLiteral("Side by Side"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("PairStatus"));
    m_status->setWordWrap(true);
    auto *sides = new QSplitter(Qt::Horizontal);
    sides->addWidget(createSide(First, "First"));
    sides->addWidget(createSide(Second, "Second"));
    m_page = new PageView(dialogs, std::move(title));
    auto *split = new QSplitter(Qt::Vertical);
    split->addWidget(sides);
    split->addWidget(m_page);
    split->setSizes({500, 300});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(split, 1);

    auto *next = new QShortcut(QKeySequence::FindNext, this);
    auto *previous = new QShortcut(QKeySequence::FindPrevious, this);
    connect(next, &QShortcut::activated, this, [this] { goToNext(m_lastUsed); });
    connect(previous, &QShortcut::activated, this, [this] { goToPrevious(m_lastUsed); });
    resize(1100, 800);
}

PairView::~PairView()
{
    stop();
}

QWidget *PairView::createSide(Side side, const char *name)
{
    SidePane &pane = m_sides[side];
    const QString prefix = QStringLiteral("Pair") + QLatin1String(name);
    auto *widget = new QWidget;
    pane.caption = new QLabel(widget);
    pane.caption->setObjectName(prefix + QStringLiteral("Caption"));
    pane.caption->setWordWrap(true);
    pane.text = new QPlainTextEdit(widget);
    pane.text->setObjectName(prefix + QStringLiteral("Text"));
    pane.text->setReadOnly(true);
    pane.text->installEventFilter(this);
    pane.place = new QLabel(widget);
    pane.place->setObjectName(prefix + QStringLiteral("Place"));
    pane.previous = new QPushButton(QStringLiteral("Previous Stretch"), widget);
    pane.previous->setObjectName(prefix + QStringLiteral("Previous"));
    pane.previous->setToolTip(QStringLiteral("Shift+F3 on the side last used"));
    pane.next = new QPushButton(QStringLiteral("Next Stretch"), widget);
    pane.next->setObjectName(prefix + QStringLiteral("Next"));
    pane.next->setToolTip(QStringLiteral("F3 on the side last used"));
    connect(pane.previous, &QPushButton::clicked, this, [this, side] { goToPrevious(side); });
    connect(pane.next, &QPushButton::clicked, this, [this, side] { goToNext(side); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(pane.place, 1);
    buttons->addWidget(pane.previous);
    buttons->addWidget(pane.next);
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pane.caption);
    layout->addWidget(pane.text, 1);
    layout->addLayout(buttons);
    return widget;
}

void PairView::setOpener(std::function<bool(const QString &)> open)
{
    m_page->setOpener(std::move(open));
}

void PairView::stop()
{
    m_stop.request_stop();
    m_job->waitForEnd();
    m_page->stop();
}

void PairView::showPair(std::shared_ptr<const OverlapTexts> texts,
                        std::shared_ptr<const DocumentOverlap> overlap, int first, int second)
{
    stop();
    m_stop = std::stop_source();
    m_texts = std::move(texts);
    m_page->clear();
    for (SidePane &pane : m_sides) {
        pane.shown.reset();
        pane.cursor = StretchCursor();
        delete pane.marks;
        pane.text->setExtraSelections({});
        pane.text->clear();
        pane.caption->clear();
        pane.place->clear();
    }
    const auto &sources = m_texts->sources();
    m_sides[First].path = sources[std::size_t(first)].path;
    m_sides[Second].path = sources[std::size_t(second)].path;
    setWindowTitle(QStringLiteral("%1 and %2 Side by Side")
                       .arg(QFileInfo(m_sides[First].path).fileName(),
                            QFileInfo(m_sides[Second].path).fileName()));
    m_status->setText(QStringLiteral("Reading the two files..."));
    auto reading = std::make_shared<Reading>();
    m_job->start(
        [reading, texts = m_texts, overlap, first, second, stop = m_stop.get_token()] {
            reading->pair = texts->readPair(*overlap, first, second, stop);
            reading->first.emplace(reading->pair.first);
            reading->second.emplace(reading->pair.second);
        },
        [this, reading] {
            if (!m_stop.stop_requested())
                finishReading(*reading);
        });
}

void PairView::finishReading(Reading &reading)
{
    showSide(First, reading.pair.first, std::move(*reading.first), m_sides[Second].path);
    showSide(Second, reading.pair.second, std::move(*reading.second), m_sides[First].path);
    const QStringList &unavailable = reading.pair.unavailable;
    m_status->setText(unavailable.isEmpty()
                          ? QString()
                          : QStringLiteral("Not read again, only the shared words are shown: %1")
                                .arg(unavailable.join(QStringLiteral(", "))));
    emit pairShown();
}

void PairView::showSide(Side side, const PairSide &pairSide, PairSideText shown,
                        const QString &otherPath)
{
    SidePane &pane = m_sides[side];
    pane.shown.emplace(std::move(shown));
    pane.cursor = StretchCursor(pane.shown->stretchCount());
    std::uint32_t shared = 0;
    for (const SharedStretch &stretch : pairSide.stretches)
        shared += std::uint32_t(stretch.words);
    pane.caption->setText(QStringLiteral("%1: %2 with %3")
                              .arg(QFileInfo(pane.path).fileName(),
                                   sharedText(shared, m_texts->wordsOf(pairSide.source)),
                                   QFileInfo(otherPath).fileName()));
    pane.caption->setToolTip(pane.path);
    delete pane.marks;
    pane.text->setPlainText(pane.shown->text());
    pane.marks = new StretchMarks(pane.shown->spans(), pane.text->document());
    pane.place->setText(pane.shown->placeText(-1));
    pane.previous->setEnabled(pane.shown->stretchCount() > 0);
    pane.next->setEnabled(pane.shown->stretchCount() > 0);
    markCurrent(side);
}

// The current stretch of the side marked more strongly than the others.
void PairView::markCurrent(Side side)
{
    SidePane &pane = m_sides[side];
    const int current = pane.cursor.current();
    if (!pane.shown || current < 0) {
        pane.text->setExtraSelections({});
        return;
    }
    const TextSpan span = pane.shown->spans()[std::size_t(current)];
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(pane.text->document());
    mark.cursor.setPosition(span.start);
    mark.cursor.setPosition(span.start + span.length, QTextCursor::KeepAnchor);
    mark.format.setBackground(kCurrentColour);
    pane.text->setExtraSelections({mark});
}

void PairView::goToNext(Side side)
{
    goTo(side, m_sides[side].cursor.next());
}

void PairView::goToPrevious(Side side)
{
    goTo(side, m_sides[side].cursor.previous());
}

void PairView::goTo(Side side, int stretch)
{
    m_lastUsed = side;
    SidePane &pane = m_sides[side];
    if (!pane.shown || stretch < 0)
        return;
    const TextSpan span = pane.shown->spans()[std::size_t(stretch)];
    QTextCursor cursor(pane.text->document());
    cursor.setPosition(span.start);
    pane.text->setTextCursor(cursor);
    pane.text->centerCursor();
    pane.place->setText(pane.shown->placeText(stretch));
    markCurrent(side);
    const SharedStretch &shared = pane.shown->stretch(stretch);
    m_page->showPage(pane.path, shared.first.page, shared.text, shared.placeOnPage);
}

bool PairView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn)
        m_lastUsed = watched == m_sides[Second].text ? Second : First;
    return QWidget::eventFilter(watched, event);
}

} // namespace orvanta
