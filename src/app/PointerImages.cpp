#include "app/PointerImages.h"

#include <QFile>
#include <QPixmap>

namespace orvanta {

std::optional<QCursor> loadCursorFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    QPixmap image;
    if (!image.loadFromData(bytes, "cur"))
        return std::nullopt;
    // Qt does not pass on the hot spot stored in the cursor file's directory entry.
    const auto word = [&bytes](int at) {
        return bytes.size() > at + 1 ? int(uchar(bytes[at])) | int(uchar(bytes[at + 1])) << 8 : 0;
    };
    return QCursor(image, word(10), word(12));
}

} // namespace orvanta
