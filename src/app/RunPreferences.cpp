#include "app/RunPreferences.h"

#include "app/StoredNames.h"
#include "base/SettingsStore.h"
#include "run/CountingRun.h"

#include <QRegularExpression>

#include <algorithm>
#include <functional>

namespace orvanta {

namespace {

namespace keys = stored_names::keys;

struct Flag {
    const char *key;
    bool TextOptions::*member;
};

constexpr Flag kTextFlags[] = {
    {keys::kJoinWrappedLines, &TextOptions::joinWrappedLines},
    {keys::kRejoinHyphenatedWords, &TextOptions::rejoinHyphenatedWords},
    {keys::kDropRunningHeads, &TextOptions::dropRunningHeads},
    {keys::kIgnorePunctuation, &TextOptions::ignorePunctuation},
    {keys::kNormaliseCompatibility, &TextOptions::normaliseCompatibility},
    {keys::kWordsNeedLetters, &TextOptions::wordsNeedLetters},
};

using Lookup = std::function<QString(const QString &key)>;

bool readFlag(const Lookup &lookup, const char *key)
{
    return lookup(QLatin1String(key)).toInt() != 0;
}

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

QStringList parseLanguages(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[+,\\s]+"));
    QStringList languages;
    for (const QString &language : text.split(separators, Qt::SkipEmptyParts)) {
        if (!languages.contains(language))
            languages << language;
    }
    return languages;
}

RunPreferences RunPreferences::read(const SettingsStore &settings)
{
    return read([&settings](const QString &key) { return settings.readText(key); });
}

RunPreferences RunPreferences::read(const std::vector<std::pair<QString, QString>> &entries)
{
    return read([&entries](const QString &key) {
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [&key](const auto &stored) { return stored.first == key; });
        return entry == entries.end() ? QString() : entry->second;
    });
}

RunPreferences RunPreferences::read(const std::function<QString(const QString &key)> &lookup)
{
    const Lookup &settings = lookup;
    RunPreferences preferences;
    for (const Flag &flag : kTextFlags)
        preferences.text.*flag.member = readFlag(settings, flag.key);
    preferences.readScannedPages = readFlag(settings, keys::kReadScannedPages);
    const QStringList languages =
        parseLanguages(settings(QLatin1String(keys::kRecognitionLanguages)));
    if (!languages.isEmpty())
        preferences.languages = languages;
    const int limit = settings(QLatin1String(keys::kMemoryLimit)).toInt();
    preferences.memoryLimitMiB = limit > 0 ? std::max(limit, kLeastMemoryLimitMiB) : 0;
    return preferences;
}

std::vector<std::pair<QString, QString>> RunPreferences::entries() const
{
    std::vector<std::pair<QString, QString>> stored;
    for (const Flag &flag : kTextFlags)
        stored.emplace_back(QLatin1String(flag.key), flagText(text.*flag.member));
    stored.emplace_back(QLatin1String(keys::kReadScannedPages), flagText(readScannedPages));
    stored.emplace_back(QLatin1String(keys::kRecognitionLanguages),
                        languages.join(QLatin1Char('+')));
    stored.emplace_back(QLatin1String(keys::kMemoryLimit), QString::number(memoryLimitMiB));
    return stored;
}

QStringList RunPreferences::recognitionLanguages() const
{
    return readScannedPages ? languages : QStringList();
}

void RunPreferences::applyTo(CountingRunOptions &options) const
{
    options.text = text;
    options.recognitionLanguages = recognitionLanguages();
    options.memoryLimit = std::uint64_t(std::max(memoryLimitMiB, 0)) << 20;
}

QString runOptionsSummary(const CountingRunOptions &options)
{
    QStringList parts;
    if (options.text.any())
        parts << QStringLiteral("Text options: %1.")
                     .arg(options.text.namesOfThoseOn().join(QStringLiteral(", ")));
    if (!options.recognitionLanguages.isEmpty())
        parts << QStringLiteral("Scanned pages read with OCR (%1).")
                     .arg(options.recognitionLanguages.join(QLatin1Char('+')));
    if (options.memoryLimit > 0)
        parts << QStringLiteral("Counted within %1 MiB of memory.").arg(options.memoryLimit >> 20);
    return parts.join(QLatin1Char(' '));
}

QString scannedFilesHint(int scannedFiles)
{
    if (scannedFiles <= 0)
        return {};
    const QString files = scannedFiles == 1
                              ? QStringLiteral("1 file looks scanned")
                              : QStringLiteral("%1 files look scanned").arg(scannedFiles);
    return files + QStringLiteral("; tick \"Read scanned pages with OCR\" to read %1.")
                       .arg(scannedFiles == 1 ? QStringLiteral("it") : QStringLiteral("them"));
}

QString withRecognitionHint(const QString &notice, bool readScannedPages)
{
    if (readScannedPages || notice.isEmpty())
        return notice;
    return notice + QStringLiteral("\r\n\r\nTick \"Read scanned pages with OCR\" to read the text "
                                   "of scanned pages and of images too.");
}

QString closingNoticeWithHint(const std::vector<FileFailure> &failures, bool readScannedPages)
{
    const bool unread = std::any_of(failures.begin(), failures.end(), [](const FileFailure &f) {
        return f.reason == QLatin1String(run_texts::kUnreadable);
    });
    return withRecognitionHint(closingNotice(failures), readScannedPages || !unread);
}

} // namespace orvanta
