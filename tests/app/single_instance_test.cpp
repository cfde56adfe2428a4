// One instance per user: the second start asks the first to come to the front, also after a crash left the
// socket behind.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

#include "app/single_instance.h"
#include "app_test_support.h"

namespace kelvora::test {
namespace {

QString uniqueName() {
    return QStringLiteral("kelvora_test_") + QUuid::createUuid().toString(QUuid::Id128);
}

TEST(SingleInstance, SecondInstanceAsksTheFirstToComeToTheFront) {
    qtApp();
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_EQ(first.acquire(), SingleInstance::Role::First);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    SingleInstance second(name);
    EXPECT_EQ(second.acquire(), SingleInstance::Role::Second);
    EXPECT_TRUE(raised.wait(5000));
    EXPECT_EQ(raised.count(), 1);
}

TEST(SingleInstance, ASocketLeftByACrashDoesNotLockTheProgramOut) {
    qtApp();
    const QString name = uniqueName();
    // What a killed instance leaves: the socket file, nobody listening on it.
    {
        QFile stale(QDir::temp().filePath(name));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance first(name);
    ASSERT_EQ(first.acquire(), SingleInstance::Role::First);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    SingleInstance second(name);
    EXPECT_EQ(second.acquire(), SingleInstance::Role::Second);
    EXPECT_TRUE(raised.wait(5000));
}

} // namespace
} // namespace kelvora::test
