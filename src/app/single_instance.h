#pragma once
// One program per user: the first instance holds a lock file and listens on a local socket; a later one
// asks it to come to the front and ends without showing anything. The lock file, not the socket, decides who
// is first, because a socket left behind by a crashed instance would otherwise lock the program out for good.
// Both live in the user's private folder: never in a folder other users can write (a lock file planted there
// would keep the program from starting) and never in one that depends on TMPDIR (two copies started from
// different shells would both run and both write the progress file).

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

    // name: the lock file's and the socket's name; folder: where both lie, empty for the user's private
    // folder.
    explicit SingleInstance(const QString& name, const QString& folder = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // "Kelvora_Mutex_Onlyone" with the user id, so that two users on one machine each have their program.
    static QString defaultName();

    // Decides the role. When the lock cannot be taken for another reason than a running instance (no private
    // folder to be had, a lock file that cannot be created), the program starts normally rather than not at
    // all.
    Role acquire();

    // Start-up shows its messages before the draw screen is placed; a raise that arrived meanwhile would show
    // the window early, at a default size, above its own message box. Requests are held until this is
    // called, and one held request is passed on then.
    void setReady();
    bool raisePending() const { return m_raisePending; }

    static constexpr const char* kRaiseMessage = "raise\n";

Q_SIGNALS:
    void raiseRequested();

private:
    void onNewConnection();
    void onRaise();

    QString m_name;
    QString m_serverPath; // the socket's full path: a fixed place, not QLocalServer's TMPDIR-based default
    std::unique_ptr<QLockFile> m_lock;
    bool m_ready = false;
    bool m_raisePending = false;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace kelvora
