// One instance per user: the second start asks the first to come to the front, also after a crash left the
// socket behind.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include "app/single_instance.h"
#include "app_test_support.h"

namespace kelvora::test {
namespace {

QString uniqueName() {
    return QStringLiteral("kelvora_test_") + QUuid::createUuid().toString(QUuid::Id128);
}

// A raise is held while start-up still shows its messages, and passed on once the window is placed.
TEST(SingleInstance, SecondInstanceAsksTheFirstToComeToTheFrontOnceReady) {
    qtApp();
    QTemporaryDir folder;
    const QString name = uniqueName();
    SingleInstance first(name, folder.path());
    ASSERT_EQ(first.acquire(), SingleInstance::Role::First);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    SingleInstance second(name, folder.path());
    EXPECT_EQ(second.acquire(), SingleInstance::Role::Second);
    QTRY_VERIFY_WITH_TIMEOUT(first.raisePending(), 5000);
    EXPECT_EQ(raised.count(), 0) << "the window must not be shown before start-up has placed it";
    first.setReady();
    EXPECT_EQ(raised.count(), 1);
    EXPECT_FALSE(first.raisePending());

    SingleInstance third(name, folder.path());
    EXPECT_EQ(third.acquire(), SingleInstance::Role::Second);
    EXPECT_TRUE(raised.wait(5000));
    EXPECT_EQ(raised.count(), 2);
}

// Two copies started from shells with different TMPDIR both ran and both wrote the progress file.
TEST(SingleInstance, OneCopyPerUserWhateverTmpdirSays) {
    qtApp();
    QTemporaryDir runtime, tmpA, tmpB;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString name = uniqueName();

    qputenv("TMPDIR", tmpA.path().toLocal8Bit());
    SingleInstance first(name);
    const auto firstRole = first.acquire();
    qputenv("TMPDIR", tmpB.path().toLocal8Bit());
    SingleInstance second(name);
    const auto secondRole = second.acquire();

    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qputenv("TMPDIR", oldTmp);
    EXPECT_EQ(firstRole, SingleInstance::Role::First);
    EXPECT_EQ(secondRole, SingleInstance::Role::Second);
    EXPECT_TRUE(QDir(tmpA.path()).isEmpty()) << "nothing of the lock belongs in TMPDIR";
}

TEST(SingleInstance, ASocketLeftByACrashDoesNotLockTheProgramOut) {
    qtApp();
    QTemporaryDir folder;
    const QString name = uniqueName();
    // What a killed instance leaves: the socket file, nobody listening on it.
    {
        QFile stale(QDir(folder.path()).filePath(name));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance first(name, folder.path());
    ASSERT_EQ(first.acquire(), SingleInstance::Role::First);
    first.setReady();
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    SingleInstance second(name, folder.path());
    EXPECT_EQ(second.acquire(), SingleInstance::Role::Second);
    EXPECT_TRUE(raised.wait(5000));
}

} // namespace
} // namespace kelvora::test
