#pragma once

// Stop words: lists of words too common to tell anything ("of", "the", "it"), and the filter
// that hides the phrases made of them. Filtering only chooses rows to show; it never changes
// what was counted.

#include "base/Result.h"
#include "phrases/PhraseResults.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace orvanta {

// A list that comes with the program: its code (ISO 639-1, the list's file name) and its name.
struct StopLanguage {
    const char *code;
    const char *name;
};

// The bundled lists, by name.
std::span<const StopLanguage> stopLanguages();

// The folder of the bundled lists within the programs' data folder (base/DataFolder.h).
QString stopListFolder(const QString &dataFolder);

// A set of stop words, each lower-cased by the engine's rule. A word of a phrase is a stop word
// when it is in the set as it stands or without the punctuation at its ends ("the," "(of").
class StopWords {
public:
    // Any text of words parted by white space.
    static StopWords fromText(QByteArrayView utf8Text);
    // A file of words, one or more to a line, in UTF-8.
    static Result<StopWords> fromFile(const QString &path);
    // The bundled list of a language, by code or name in any case ("de", "German").
    static Result<StopWords> forLanguage(const QString &language, const QString &dataFolder);
    // A bundled language when one is so named, otherwise a file: what "--stop-words" takes.
    static Result<StopWords> fromLanguageOrFile(const QString &choice, const QString &dataFolder);

    qsizetype size() const { return qsizetype(m_words.size()); }
    bool isEmpty() const { return m_words.empty(); }
    // The words, by code point, as an editable list shows them.
    QStringList words() const;

    bool isStopWord(QByteArrayView lowerCaseWord) const;

private:
    void add(QByteArrayView word);
    void rebuildTable();
    bool holds(QByteArrayView word) const;

    std::vector<std::string> m_words;   // sorted, each once
    std::vector<std::uint32_t> m_slots; // open addressing: index into m_words + 1, or 0
    std::size_t m_longest = 0;
};

enum class StopWordMode {
    Off,
    OnlyStopWords, // hide a phrase made only of stop words ("of the", "it is")
    StopWordAtEdge // hide a phrase that begins or ends with one ("of the number")
};

// True when the mode hides the phrase: lower-case words joined by single spaces, as listed.
bool hidesPhrase(std::string_view phrase, const StopWords &words, StopWordMode mode);

// The ids (into `results`), in their order, whose phrases the mode does not hide.
std::vector<std::uint32_t> withoutStopPhrases(std::span<const std::uint32_t> ids,
                                              const PhraseResults &results, const StopWords &words,
                                              StopWordMode mode);

} // namespace orvanta
