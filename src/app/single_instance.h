#pragma once
// One program per user: the first instance holds a lock file and listens on a local socket; a later one
// asks it to come to the front and ends without showing anything. The lock file, not the socket, decides who
// is first, because a socket left behind by a crashed instance would otherwise lock the program out for good.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace kelvora {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        First,  // this process runs the program
        Second, // another instance runs; it has been asked to come to the front
    };

    // name: the server's name; the lock file of that name lies in the temporary folder.
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // "Kelvora_Mutex_Onlyone" with the user id, so that two users on one machine each have their program.
    static QString defaultName();

    // Decides the role. When the lock cannot be taken for another reason than a running instance (no
    // temporary folder), the program starts normally rather than not at all.
    Role acquire();

    static constexpr const char* kRaiseMessage = "raise\n";

Q_SIGNALS:
    void raiseRequested();

private:
    void onNewConnection();

    QString m_name;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace kelvora
