#include "QtPrinters.h"
#include "documents/KeptIndex.h"

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

QByteArray indexWith(const QByteArray &texts, int format = kKeptIndexFormat)
{
    return "{\"format\":" + QByteArray::number(format) + ",\"texts\":[" + texts + "]}";
}

QByteArray entry(const QByteArray &file,
                 const QByteArray &facts = "\"outcome\":0,\"bytes\":9,"
                                           "\"noText\":false,\"pages\":[0,4],"
                                           "\"recognised\":[2]")
{
    return "{\"key\":\"a2V5\",\"file\":\"" + file + "\"," + facts + "}";
}

} // namespace

TEST(KeptIndex, OnlyTheStoresOwnFileNamesAreItsTexts)
{
    EXPECT_TRUE(isKeptTextName(QStringLiteral("text-Ab3dE6g8")));
    for (const char *name : {"text-1", "text-Ab3dE6g8x", "../text-Ab3dE6g8", "/tmp/text-Ab3dE6g8",
                             "text-Ab3d/E6g8", "index.json", ".orvanta-lock", ""})
        EXPECT_FALSE(isKeptTextName(QString::fromUtf8(name))) << name;
    // Leftovers include the numbered texts of earlier versions and an index being written.
    for (const char *name : {"text-1", "text-Ab3dE6g8", "index-Ab3dE6g8.part"})
        EXPECT_TRUE(isStoreLeftover(QString::fromUtf8(name))) << name;
    for (const char *name : {"notes.txt", "index.json", "index.json.set-aside", ".orvanta-lock"})
        EXPECT_FALSE(isStoreLeftover(QString::fromUtf8(name))) << name;
}

TEST(KeptIndex, WhatItWritesItReadsBack)
{
    auto text = std::make_shared<StoredText>();
    text->bytes = 12;
    text->pageStarts = {0, 5};
    text->recognisedPages = {2};
    auto verdict = std::make_shared<StoredText>();
    verdict->outcome = ConversionOutcome::NeedsPassword;
    const Result<std::vector<KeptEntry>> read = parseKeptIndex(
        writeKeptIndex({{QByteArray("key\0one", 7), QStringLiteral("text-Ab3dE6g8"), text},
                        {"key two", QString(), verdict}}));
    ASSERT_TRUE(read.ok()) << read.error().toStdString();
    ASSERT_EQ(read->size(), 2u);
    EXPECT_EQ((*read)[0].key, QByteArray("key\0one", 7));
    EXPECT_EQ((*read)[0].fileName, "text-Ab3dE6g8");
    EXPECT_EQ((*read)[0].text->pageStarts, (std::vector<qint64>{0, 5}));
    EXPECT_EQ((*read)[0].text->recognisedPages, std::vector<int>{2});
    EXPECT_EQ((*read)[1].text->outcome, ConversionOutcome::NeedsPassword);
}

// Anyone may have written the folder: an index that is damaged, another version's, or names
// anything but the store's own files is not used at all.
TEST(KeptIndex, AnIndexThatCannotBeTrustedIsRefusedWithTheReason)
{
    const struct {
        QByteArray json;
        const char *reason;
    } cases[] = {
        {"{\"texts\":[", "it is damaged"},
        {"[]", "it is damaged"},
        {"{\"texts\":[]}", "another version of Orvanta wrote it"},
        {indexWith({}, 1), "another version of Orvanta wrote it"},
        {indexWith(entry("../outside")),
         "it names a file that is not one of its texts: \"../outside\""},
        {indexWith(entry("/etc/passwd")),
         "it names a file that is not one of its texts: \"/etc/passwd\""},
        {indexWith(entry("text-1")), "it names a file that is not one of its texts: \"text-1\""},
        {indexWith(entry("text-Ab3dE6g8") + ',' + entry("text-Ab3dE6g8")),
         "it names one text twice"},
        {indexWith(entry("text-Ab3dE6g8",
                         "\"outcome\":4,\"bytes\":9,\"noText\":false,\"pages\":[0],"
                         "\"recognised\":[]")),
         "it names an outcome it does not know"},
        {indexWith(entry("text-Ab3dE6g8",
                         "\"outcome\":0,\"bytes\":9,\"noText\":false,\"pages\":[0,12],"
                         "\"recognised\":[]")),
         "it names pages out of order"},
        {indexWith(entry("text-Ab3dE6g8",
                         "\"outcome\":0,\"bytes\":-1,\"noText\":false,\"pages\":[0],"
                         "\"recognised\":[]")),
         "it names an entry without its facts"},
        {indexWith(entry("text-Ab3dE6g8", "\"outcome\":2,\"bytes\":0,\"noText\":false,\"pages\":[],"
                                          "\"recognised\":[]")),
         "it names a file that is not one of its texts: \"text-Ab3dE6g8\""},
    };
    for (const auto &[json, reason] : cases) {
        const Result<std::vector<KeptEntry>> read = parseKeptIndex(json);
        EXPECT_FALSE(read.ok()) << json.constData();
        EXPECT_EQ(read.error(), QString::fromUtf8(reason)) << json.constData();
    }
    EXPECT_TRUE(parseKeptIndex(indexWith(entry("text-Ab3dE6g8"))).ok());
}
