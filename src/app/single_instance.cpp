#include "app/single_instance.h"

#include <QDir>
#include <QLocalSocket>

#include <unistd.h>

namespace kelvora {

namespace {
// Long enough for a busy first instance to accept, short enough that a hung one does not keep the second
// waiting visibly.
constexpr int kConnectTimeoutMs = 2000;
} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), m_name(name), m_lock(QDir::temp().filePath(name + QStringLiteral(".lock"))) {
    // Only a crashed owner leaves the lock behind; QLockFile sees that its process is gone and takes it over.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (m_server)
        m_server->close();
}

QString SingleInstance::defaultName() {
    return QStringLiteral("Kelvora_Mutex_Onlyone_%1").arg(static_cast<qulonglong>(::getuid()));
}

SingleInstance::Role SingleInstance::acquire() {
    if (!m_lock.tryLock(0)) {
        if (m_lock.error() != QLockFile::LockFailedError)
            return Role::First;
        QLocalSocket socket;
        socket.connectToServer(m_name);
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(kRaiseMessage);
            socket.waitForBytesWritten(kConnectTimeoutMs);
            socket.disconnectFromServer();
        }
        return Role::Second;
    }
    // A socket file of a crashed instance would make listen() fail.
    QLocalServer::removeServer(m_name);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server->listen(m_name))
        connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return Role::First;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("raise"))
                Q_EMIT raiseRequested();
        });
    }
}

} // namespace kelvora
