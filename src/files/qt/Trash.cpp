#include "files/qt/Trash.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

bool MoveToTrash(const std::string& path, std::string* error) {
    auto fail = [&](const char* reason) {
        if (error)
            *error = path + ": " + reason;
        return false;
    };
    QString name = QFile::decodeName(QByteArray::fromStdString(path));
    if (!QFileInfo::exists(name) && !QFileInfo(name).isSymLink())
        return fail("見つかりません。");
    // Qt 6.4 trashes into the current folder when the data folder is missing, and
    // still reports success: make sure the folder is there first.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QString inTrash;
    if (!QFile::moveToTrash(name, &inTrash))
        return fail("ごみ箱に移動できませんでした。");
    if (!QDir::isAbsolutePath(inTrash)) {
        // Not in a trash at all: put the item back where it was.
        QFile::rename(QDir::current().absoluteFilePath(inTrash), name);
        return fail("ごみ箱に移動できませんでした。");
    }
    return true;
}
