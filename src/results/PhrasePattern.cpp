#include "results/PhrasePattern.h"

#include "base/LowerCase.h"
#include "documents/WordCleanup.h"

namespace orvanta {

namespace {

// The length of the UTF-8 character that starts with `lead`.
std::size_t characterLength(char lead)
{
    const auto byte = static_cast<unsigned char>(lead);
    return byte < 0xC0 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
}

} // namespace

Result<PhrasePattern> PhrasePattern::make(const QString &pattern, Kind kind)
{
    PhrasePattern made;
    made.m_kind = kind;
    if (kind == Kind::RegularExpression) {
        made.m_expression.setPattern(pattern);
        made.m_expression.setPatternOptions(QRegularExpression::CaseInsensitiveOption |
                                            QRegularExpression::UseUnicodePropertiesOption);
        if (!made.m_expression.isValid())
            return Failure{QStringLiteral("The regular expression is not valid at character %1: %2")
                               .arg(made.m_expression.patternErrorOffset() + 1)
                               .arg(made.m_expression.errorString())};
        made.m_expression.optimize();
        return made;
    }
    const QByteArray lower = lowerCase(pattern.toUtf8());
    const auto addText = [&made](const char *text, std::size_t length) {
        if (made.m_pieces.empty() || made.m_pieces.back().type != Piece::Text)
            made.m_pieces.push_back({Piece::Text, {}});
        made.m_pieces.back().text.append(text, length);
    };
    for (qsizetype at = 0; at < lower.size();) {
        const char c = lower[at];
        if (c == '*') {
            if (made.m_pieces.empty() || made.m_pieces.back().type != Piece::AnyCharacters)
                made.m_pieces.push_back({Piece::AnyCharacters, {}});
            ++at;
        } else if (c == '?') {
            made.m_pieces.push_back({Piece::OneCharacter, {}});
            ++at;
        } else {
            if (c == '\\' && at + 1 < lower.size())
                ++at; // the escaped character stands for itself
            const std::size_t length = characterLength(lower[at]);
            addText(lower.constData() + at, length);
            at += qsizetype(length);
        }
    }
    return made;
}

bool PhrasePattern::matches(std::string_view phrase) const
{
    if (m_kind == Kind::RegularExpression)
        return m_expression.match(QString::fromUtf8(phrase.data(), qsizetype(phrase.size())))
            .hasMatch();
    return matchesWildcards(phrase);
}

// The pieces in turn; on a mismatch the last "*" takes one more character and the pieces
// after it start again, which finds a match when there is one.
bool PhrasePattern::matchesWildcards(std::string_view phrase) const
{
    std::size_t piece = 0;
    std::size_t at = 0;
    std::size_t starPiece = m_pieces.size(); // none yet
    std::size_t starAt = 0;
    for (;;) {
        if (piece < m_pieces.size()) {
            const Piece &next = m_pieces[piece];
            if (next.type == Piece::AnyCharacters) {
                starPiece = piece++;
                starAt = at;
                if (piece == m_pieces.size())
                    return true; // a "*" at the end takes the rest
                continue;
            }
            if (next.type == Piece::OneCharacter && at < phrase.size()) {
                at += characterLength(phrase[at]);
                ++piece;
                continue;
            }
            if (next.type == Piece::Text && phrase.substr(at).starts_with(next.text)) {
                at += next.text.size();
                ++piece;
                continue;
            }
        } else if (at >= phrase.size()) {
            return true;
        }
        if (starPiece == m_pieces.size() || starAt >= phrase.size())
            return false;
        starAt += characterLength(phrase[starAt]);
        at = starAt;
        piece = starPiece + 1;
    }
}

std::vector<std::uint32_t> matchingPhrases(std::span<const std::uint32_t> ids,
                                           const PhraseResults &results,
                                           const PhrasePattern &pattern)
{
    if (pattern.isEmpty())
        return {ids.begin(), ids.end()};
    std::vector<std::uint32_t> kept;
    for (const std::uint32_t id : ids) {
        if (pattern.matches(results.phraseUtf8(qsizetype(id))))
            kept.push_back(id);
    }
    return kept;
}

} // namespace orvanta
