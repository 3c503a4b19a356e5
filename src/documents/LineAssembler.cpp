#include "documents/LineAssembler.h"

#include "documents/WordCleanup.h"

namespace orvanta {

namespace {

// A paragraph is handed over at the next line break once it is this long, so a text without
// blank lines or pages never sits in memory whole.
constexpr qsizetype kLongestParagraph = 1 << 20;

bool mayHoldHyphen(QByteArrayView line)
{
    for (const char c : line) {
        if (c == '-' || static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

} // namespace

void HyphenatedWords::addLine(QByteArrayView utf8Line, bool normalise)
{
    if (!mayHoldHyphen(utf8Line))
        return;
    const QByteArray normalised = normalise ? compatibilityForm(utf8Line) : QByteArray();
    splitWords(normalise ? QByteArrayView(normalised) : utf8Line, m_lineWords);
    for (const QByteArrayView word : m_lineWords) {
        const QByteArrayView core = withoutOuterPunctuation(word);
        if (holdsHyphen(core))
            m_words.insert(lowerCase(core));
    }
}

LineAssembler::LineAssembler(const TextOptions &options, const HyphenatedWords &hyphenated,
                             const CountedLineSink &sink, bool withPlaces)
    : m_options(options)
    , m_hyphenated(hyphenated)
    , m_sink(sink)
    , m_withPlaces(withPlaces)
{
}

void LineAssembler::addLine(QByteArrayView utf8Line, LinePlace place)
{
    QByteArrayView line = utf8Line;
    if (m_options.normaliseCompatibility) {
        m_normalised = compatibilityForm(utf8Line);
        line = m_normalised;
    }
    splitWords(line, m_words);
    Words words = m_words;
    const bool blank = words.empty();
    if (m_holding) {
        if (blank) {
            ++m_blankLinesWaiting;
            return;
        }
        if (startsInLowerCase(words.front())) {
            joinHeldWith(words.front());
            words = words.subspan(1);
        }
        releaseHeld();
    }
    startLine(place, blank);
    if (m_options.rejoinHyphenatedWords && !words.empty() &&
        lineEndHyphenLength(words.back()) > 0) {
        hold(line, words, place);
        return;
    }
    appendWords(words, place);
    endLine();
}

void LineAssembler::finish()
{
    if (m_holding)
        releaseHeld();
    endParagraph();
}

void LineAssembler::hold(QByteArrayView line, Words words, LinePlace place)
{
    const QByteArrayView last = words.back();
    const QByteArrayView first = words.front();
    m_heldText = line.sliced(first.data() - line.data(), last.data() - first.data()).toByteArray();
    m_heldLastWord = last.toByteArray();
    m_heldPlace = place;
    m_holding = true;
}

// The held word goes on at the start of the next line: "exam-" and "ple," make "example,". The
// hyphen stays when the text shows the word hyphenated elsewhere ("well-" and "known").
void LineAssembler::joinHeldWith(QByteArrayView continuation)
{
    const qsizetype hyphenLength = lineEndHyphenLength(m_heldLastWord);
    const QByteArray hyphen = m_heldLastWord.last(hyphenLength);
    m_heldLastWord.chop(hyphenLength);
    const QByteArray compound =
        lowerCase(withoutOuterPunctuation(m_heldLastWord).toByteArray() + hyphen +
                  withoutOuterPunctuation(continuation).toByteArray());
    if (m_hyphenated.contains(compound))
        m_heldLastWord += hyphen;
    m_heldLastWord += continuation;
}

void LineAssembler::releaseHeld()
{
    m_holding = false;
    splitWords(m_heldText, m_heldWords);
    appendWords(m_heldWords, m_heldPlace);
    appendWord(m_heldLastWord, m_heldPlace);
    endLine();
    for (; m_blankLinesWaiting > 0; --m_blankLinesWaiting) {
        startLine(m_heldPlace, /*blank=*/true);
        endLine();
    }
}

// A blank line or a new page ends a paragraph.
void LineAssembler::startLine(LinePlace place, bool blank)
{
    if (!m_options.joinWrappedLines)
        return;
    if (blank || place.page != m_lastPage)
        endParagraph();
    if (!blank)
        m_lastPage = place.page;
}

void LineAssembler::appendWords(Words words, LinePlace place)
{
    for (const QByteArrayView word : words)
        appendWord(word, place);
}

void LineAssembler::appendWord(QByteArrayView word, LinePlace place)
{
    if (m_options.ignorePunctuation)
        word = withoutOuterPunctuation(word);
    if (word.isEmpty())
        return;
    if (!m_text.isEmpty())
        m_text += ' ';
    m_text += word;
    if (m_withPlaces)
        m_places.push_back(WordPlace{place});
}

void LineAssembler::endLine()
{
    if (!m_options.joinWrappedLines || m_text.size() >= kLongestParagraph) {
        m_sink(CountedLine{m_text, m_places});
        m_text.resize(0);
        m_places.clear();
    }
}

void LineAssembler::endParagraph()
{
    if (m_text.isEmpty())
        return;
    m_sink(CountedLine{m_text, m_places});
    m_text.resize(0);
    m_places.clear();
}

} // namespace orvanta
