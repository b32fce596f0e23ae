#include "pane/page_file.h"

#include <QFile>

namespace vesk {

bool WritePageFile(const QString& path, std::string_view bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const auto size = static_cast<qint64>(bytes.size());
    const bool written = file.write(bytes.data(), size) == size;
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

} // namespace vesk
