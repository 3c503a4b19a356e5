#include "results/StopWords.h"

#include "base/Descriptor.h"
#include "base/LowerCase.h"
#include "base/Utf8.h"
#include "documents/WordCleanup.h"
#include "extract/TextReader.h"
#include "phrases/FlatTables.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <fcntl.h>

namespace orvanta {

namespace {

constexpr std::array<StopLanguage, 16> kLanguages{{
    {"da", "Danish"},
    {"nl", "Dutch"},
    {"en", "English"},
    {"fi", "Finnish"},
    {"fr", "French"},
    {"de", "German"},
    {"hu", "Hungarian"},
    {"id", "Indonesian"},
    {"it", "Italian"},
    {"no", "Norwegian"},
    {"pl", "Polish"},
    {"pt", "Portuguese"},
    {"ro", "Romanian"},
    {"ru", "Russian"},
    {"es", "Spanish"},
    {"sv", "Swedish"},
}};

// A list longer than this is no stop-word list: most likely a wrong file.
constexpr qsizetype kMostWords = 1'000'000;

constexpr QByteArrayView kApostrophe = "'";
constexpr QByteArrayView kRightQuote = "\u2019";
constexpr QByteArrayView kByteOrderMark = "\uFEFF";

std::uint64_t hashOf(QByteArrayView word)
{
    return detail::hashOf(std::string_view(word.data(), size_t(word.size())));
}

bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

const StopLanguage *languageNamed(const QString &language)
{
    for (const StopLanguage &known : kLanguages) {
        if (language.compare(QLatin1String(known.code), Qt::CaseInsensitive) == 0 ||
            language.compare(QLatin1String(known.name), Qt::CaseInsensitive) == 0)
            return &known;
    }
    return nullptr;
}

QString languageCodes()
{
    QStringList codes;
    for (const StopLanguage &known : kLanguages)
        codes << QLatin1String(known.code);
    return codes.join(QStringLiteral(", "));
}

} // namespace

std::span<const StopLanguage> stopLanguages()
{
    return kLanguages;
}

QString stopListFolder(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("/stopwords");
}

StopWords StopWords::fromText(QByteArrayView utf8Text)
{
    StopWords words;
    if (utf8Text.startsWith(kByteOrderMark))
        utf8Text = utf8Text.sliced(kByteOrderMark.size());
    const QByteArray valid = validUtf8(utf8Text);
    qsizetype at = 0;
    while (at < valid.size()) {
        while (at < valid.size() && isWhiteSpace(valid[at]))
            ++at;
        const qsizetype start = at;
        while (at < valid.size() && !isWhiteSpace(valid[at]))
            ++at;
        if (at > start)
            words.add(QByteArrayView(valid).sliced(start, at - start));
    }
    words.rebuildTable();
    return words;
}

Result<StopWords> StopWords::fromFile(const QString &path)
{
    const Descriptor fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.isOpen())
        return Failure{QStringLiteral("Cannot open %1: %2").arg(path, qt_error_string(errno))};
    if (QFileInfo(path).isDir())
        return Failure{QStringLiteral("%1 is a folder, not a list of words").arg(path)};
    StopWords words;
    bool tooLong = false;
    const Status read = readLines(fd.get(), path, [&](QByteArrayView line, LinePlace place) {
        if (place == LinePlace{} && line.startsWith(kByteOrderMark))
            line = line.sliced(kByteOrderMark.size());
        tooLong = tooLong || words.size() > kMostWords;
        if (!tooLong)
            forEachWord(line, [&](QByteArrayView word) { words.add(word); });
    });
    if (!read.ok())
        return Failure{read.error()};
    if (tooLong)
        return Failure{QStringLiteral("%1 holds more than a million words: it is not a list of "
                                      "stop words")
                           .arg(path)};
    words.rebuildTable();
    return words;
}

Result<StopWords> StopWords::forLanguage(const QString &language, const QString &dataFolder)
{
    const StopLanguage *known = languageNamed(language);
    if (known == nullptr)
        return Failure{QStringLiteral("No stop words for \"%1\"; there are lists for %2")
                           .arg(language, languageCodes())};
    return fromFile(stopListFolder(dataFolder) + QLatin1Char('/') + QLatin1String(known->code) +
                    QStringLiteral(".txt"));
}

Result<StopWords> StopWords::fromLanguageOrFile(const QString &choice, const QString &dataFolder)
{
    if (languageNamed(choice) != nullptr)
        return forLanguage(choice, dataFolder);
    if (!QFileInfo::exists(choice))
        return Failure{QStringLiteral("\"%1\" is neither a stop-word language (%2) nor a file")
                           .arg(choice, languageCodes())};
    return fromFile(choice);
}

QStringList StopWords::words() const
{
    QStringList words;
    words.reserve(size());
    for (const std::string &word : m_words)
        words << QString::fromStdString(word);
    return words;
}

// Added lower-cased; a word written with an apostrophe ("don't") also stands with the
// typographic one ("don’t"), and the other way round.
void StopWords::add(QByteArrayView word)
{
    const QByteArray lower = lowerCase(word);
    m_words.push_back(lower.toStdString());
    if (lower.contains(kApostrophe))
        m_words.push_back(QByteArray(lower).replace(kApostrophe, kRightQuote).toStdString());
    else if (lower.contains(kRightQuote))
        m_words.push_back(QByteArray(lower).replace(kRightQuote, kApostrophe).toStdString());
}

void StopWords::rebuildTable()
{
    std::sort(m_words.begin(), m_words.end());
    m_words.erase(std::unique(m_words.begin(), m_words.end()), m_words.end());
    m_longest = 0;
    for (const std::string &word : m_words)
        m_longest = std::max(m_longest, word.size());
    m_slots.assign(std::bit_ceil(m_words.size() * 2 + 2), 0);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = 0; i < m_words.size(); ++i) {
        std::size_t slot = hashOf(QByteArrayView(m_words[i])) & mask;
        while (m_slots[slot] != 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = std::uint32_t(i + 1);
    }
}

bool StopWords::holds(QByteArrayView word) const
{
    if (std::size_t(word.size()) > m_longest || word.isEmpty())
        return false;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = hashOf(word) & mask; m_slots[slot] != 0; slot = (slot + 1) & mask) {
        const std::string &candidate = m_words[m_slots[slot] - 1];
        if (candidate.size() == std::size_t(word.size()) &&
            std::memcmp(candidate.data(), word.data(), candidate.size()) == 0)
            return true;
    }
    return false;
}

bool StopWords::isStopWord(QByteArrayView lowerCaseWord) const
{
    if (holds(lowerCaseWord))
        return true;
    const QByteArrayView core = withoutOuterPunctuation(lowerCaseWord);
    return core.size() != lowerCaseWord.size() && holds(core);
}

bool hidesPhrase(std::string_view phrase, const StopWords &words, StopWordMode mode)
{
    const QByteArrayView text(phrase.data(), qsizetype(phrase.size()));
    switch (mode) {
    case StopWordMode::Off:
        return false;
    case StopWordMode::OnlyStopWords: {
        qsizetype start = 0;
        while (start <= text.size()) {
            qsizetype end = text.indexOf(' ', start);
            if (end < 0)
                end = text.size();
            if (!words.isStopWord(text.sliced(start, end - start)))
                return false;
            start = end + 1;
        }
        return !text.isEmpty();
    }
    case StopWordMode::StopWordAtEdge: {
        const qsizetype firstEnd = text.indexOf(' ');
        if (words.isStopWord(firstEnd < 0 ? text : text.first(firstEnd)))
            return true;
        return firstEnd >= 0 && words.isStopWord(text.sliced(text.lastIndexOf(' ') + 1));
    }
    }
    return false;
}

std::vector<std::uint32_t> withoutStopPhrases(std::span<const std::uint32_t> ids,
                                              const PhraseResults &results, const StopWords &words,
                                              StopWordMode mode)
{
    std::vector<std::uint32_t> kept;
    kept.reserve(ids.size());
    for (const std::uint32_t id : ids) {
        if (!hidesPhrase(results.phraseUtf8(qsizetype(id)), words, mode))
            kept.push_back(id);
    }
    return kept;
}

} // namespace orvanta
