#include "app/single_instance.h"

#include <QDir>
#include <QLocalSocket>

#include "app/private_folder.h"

#include <unistd.h>

#include <utility>

namespace kelvora {

namespace {
// Long enough for a busy first instance to accept, short enough that a hung one does not keep the second
// waiting visibly.
constexpr int kConnectTimeoutMs = 2000;
} // namespace

SingleInstance::SingleInstance(const QString& name, const QString& folder, QObject* parent)
    : QObject(parent), m_name(name) {
    const QString place = folder.isEmpty() ? privateFolder() : folder;
    if (place.isEmpty())
        return; // no safe place: acquire() lets the program start on its own
    m_serverPath = QDir(place).filePath(name);
    m_lock = std::make_unique<QLockFile>(QDir(place).filePath(name + QStringLiteral(".lock")));
    // Only a crashed owner leaves the lock behind; QLockFile sees that its process is gone and takes it over.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (m_server)
        m_server->close();
}

QString SingleInstance::defaultName() {
    return QStringLiteral("Kelvora_Mutex_Onlyone_%1").arg(static_cast<qulonglong>(::getuid()));
}

SingleInstance::Role SingleInstance::acquire() {
    if (!m_lock)
        return Role::First;
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError)
            return Role::First;
        QLocalSocket socket;
        socket.connectToServer(m_serverPath);
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(kRaiseMessage);
            socket.waitForBytesWritten(kConnectTimeoutMs);
            socket.disconnectFromServer();
        }
        return Role::Second;
    }
    // A socket file of a crashed instance would make listen() fail.
    QLocalServer::removeServer(m_serverPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server->listen(m_serverPath))
        connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return Role::First;
}

void SingleInstance::setReady() {
    m_ready = true;
    if (std::exchange(m_raisePending, false))
        Q_EMIT raiseRequested();
}

void SingleInstance::onRaise() {
    if (m_ready)
        Q_EMIT raiseRequested();
    else
        m_raisePending = true;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("raise"))
                onRaise();
        });
    }
}

} // namespace kelvora
