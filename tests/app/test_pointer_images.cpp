// The pointer images the window loads from beside the executable: Qt must read them, they must be
// 32 x 32 and show something, and the hand's hot spot must sit on the hand.

#include "QtPrinters.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

#include <gtest/gtest.h>

#include <utility>

namespace {

constexpr int kSize = 32;
constexpr int kHeaderSize = 6 + 16; // the directory and its first entry

QString sourceImage(const char *name)
{
    return QStringLiteral(ORVANTA_IMAGES_DIR "/") + QLatin1String(name);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

quint16 word(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

QImage readImage(const QString &path, const QByteArray &format)
{
    QImageReader reader(path, format);
    const QImage image = reader.read();
    EXPECT_FALSE(image.isNull()) << path.toStdString() << ": "
                                 << reader.errorString().toStdString();
    return image;
}

// Counts of fully opaque and fully transparent pixels.
std::pair<int, int> opaqueAndTransparent(const QImage &image)
{
    int opaque = 0;
    int transparent = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            opaque += alpha == 255;
            transparent += alpha == 0;
        }
    }
    return {opaque, transparent};
}

void expectVisiblePointer(const QImage &image)
{
    EXPECT_EQ(image.size(), QSize(kSize, kSize));
    EXPECT_TRUE(image.hasAlphaChannel());
    const auto [opaque, transparent] = opaqueAndTransparent(image);
    EXPECT_GT(opaque, kSize * kSize / 10);
    EXPECT_GT(transparent, kSize * kSize / 10);
}

// The directory header: reserved 0, then the kind (1 icon, 2 cursor), then how many images; the
// first entry starts with width and height.
void expectDirectory(const QByteArray &bytes, quint16 kind)
{
    ASSERT_GE(bytes.size(), kHeaderSize);
    EXPECT_EQ(word(bytes, 0), 0);
    EXPECT_EQ(word(bytes, 2), kind);
    EXPECT_EQ(word(bytes, 4), 1);
    EXPECT_EQ(quint8(bytes[6]), kSize);
    EXPECT_EQ(quint8(bytes[7]), kSize);
}

} // namespace

TEST(PointerImages, HandCursorIsReadAsCursor)
{
    const QString path = sourceImage("HAND-M.CUR");
    expectDirectory(fileBytes(path), 2);
    expectVisiblePointer(readImage(path, "cur"));
    // Chosen by the file name alone, as the window does.
    expectVisiblePointer(readImage(path, QByteArray()));
}

TEST(PointerImages, HandHotSpotIsOnAnOpaquePixelAtTheTop)
{
    const QString path = sourceImage("HAND-M.CUR");
    const QByteArray bytes = fileBytes(path);
    ASSERT_GE(bytes.size(), kHeaderSize);
    const int x = word(bytes, 10);
    const int y = word(bytes, 12);
    ASSERT_LT(x, kSize);
    ASSERT_LT(y, kSize);
    const QImage image = readImage(path, "cur");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(qAlpha(image.pixel(x, y)), 255);
    // The fingertip: nothing of the hand lies above the hot spot.
    for (int above = 0; above < y; ++above)
        EXPECT_LT(qAlpha(image.pixel(x, above)), 255) << "row " << above;
}

TEST(PointerImages, DragIconIsReadAsIcon)
{
    const QString path = sourceImage("drag.ico");
    expectDirectory(fileBytes(path), 1);
    expectVisiblePointer(readImage(path, "ico"));
    expectVisiblePointer(readImage(path, QByteArray()));
}

TEST(PointerImages, CopiesBesideTheExecutablesMatchTheSources)
{
    for (const char *name : {"HAND-M.CUR", "drag.ico"}) {
        const QByteArray source = fileBytes(sourceImage(name));
        const QByteArray copy =
            fileBytes(QStringLiteral(ORVANTA_BIN_DIR "/") + QLatin1String(name));
        EXPECT_FALSE(source.isEmpty()) << name;
        EXPECT_TRUE(copy == source) << name << " differs from its copy";
    }
}
