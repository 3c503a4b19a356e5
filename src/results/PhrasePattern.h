#pragma once

// A pattern that chooses phrases by their text: wildcards or a regular expression, for the
// phrase and passage lists of the explorer and for the terminal.

#include "base/Result.h"
#include "phrases/PhraseResults.h"

#include <QRegularExpression>
#include <QString>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvanta {

class PhrasePattern {
public:
    enum class Kind {
        // The whole phrase as listed: "*" stands for any characters, spaces too, or none; "?"
        // for exactly one character; "\" makes the character after it stand for itself ("\?").
        // Compared in lower case, by the engine's rule, as phrases are listed.
        Wildcards,
        // QRegularExpression (Perl's syntax), found anywhere in the phrase unless anchored with
        // "^" and "$", in any case.
        RegularExpression
    };

    // The empty pattern, which every phrase matches.
    PhrasePattern() = default;
    // Fails, for a regular expression only, with a message that says where and why.
    static Result<PhrasePattern> make(const QString &pattern, Kind kind);

    bool isEmpty() const { return m_kind == Kind::Wildcards && m_pieces.empty(); }
    // `phrase`: lower-case words joined by single spaces, UTF-8.
    bool matches(std::string_view phrase) const;

private:
    struct Piece {
        enum Type { Text, AnyCharacters, OneCharacter } type;
        std::string text;
    };

    bool matchesWildcards(std::string_view phrase) const;

    Kind m_kind = Kind::Wildcards;
    std::vector<Piece> m_pieces;
    QRegularExpression m_expression;
};

// The ids (into `results`), in their order, whose phrases match.
std::vector<std::uint32_t> matchingPhrases(std::span<const std::uint32_t> ids,
                                           const PhraseResults &results,
                                           const PhrasePattern &pattern);

} // namespace orvanta
