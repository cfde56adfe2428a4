#include "app/private_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace kelvora {

QString privateFolder() {
    // Not QDir::tempPath(): TMPDIR may differ between two shells of one user, and the one-instance lock in
    // this folder must be the same for every copy the user starts.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QString base = runtime.isEmpty() ? QStringLiteral("/tmp") : QString::fromLocal8Bit(runtime);
    const QString folder =
        QDir(base).filePath(QStringLiteral("kelvora-%1").arg(static_cast<qulonglong>(::getuid())));
    if (!QDir().mkpath(folder))
        return {};
    // Anyone may create a folder of this name in /tmp first; writing into it would hand them our files.
    const QFileInfo info(folder);
    if (info.isSymLink() || !info.isDir() || info.ownerId() != ::getuid())
        return {};
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folder;
}

QString writeResourceFile(const QString& resource, const QString& fileName) {
    QFile source(resource);
    if (!source.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = source.readAll();
    const QString folder = privateFolder();
    if (folder.isEmpty())
        return {};
    const QString path = QDir(folder).filePath(fileName);
    QFile target(path);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate) || target.write(bytes) != bytes.size())
        return {};
    return path;
}

} // namespace kelvora
