// Two real keyglow processes meeting through the single-instance lock and socket of the
// user's runtime folder (Linux).
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "tests/support/ProgramFolder.h"

namespace kg {
namespace {

using test::waitUntil;

class SecondStart : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_runtime.isValid());
        ASSERT_TRUE(QFileInfo::exists(program())) << "build the keyglow target first";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("KEYGLOW_STARTUP_TIMING"), QStringLiteral("1"));
        m_env = env;
    }

    static QString program() { return QStringLiteral(KEYGLOW_BIN_DIR "/keyglow"); }

    void start(QProcess& p, const QStringList& args) {
        p.setProcessEnvironment(m_env);
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.start(program(), args);
    }

    // The first instance has claimed the name once its socket exists.
    bool socketExists() const {
        return !QDir(m_runtime.path())
                    .entryList({QStringLiteral("*.sock")}, QDir::System | QDir::Files)
                    .isEmpty();
    }

    QTemporaryDir m_runtime;
    QProcessEnvironment m_env;
};

TEST_F(SecondStart, BringsTheHiddenFirstForwardAndExitsWithZero) {
    QProcess first;
    start(first, {QStringLiteral("--emulator"), QStringLiteral("-hid"),
                  QStringLiteral("--quit-after"), QStringLiteral("20000")});
    ASSERT_TRUE(first.waitForStarted(5000));
    ASSERT_TRUE(waitUntil([&] { return socketExists(); }, 10000));
    // Hidden: the window has not painted.
    QByteArray firstOut = first.readAllStandardOutput();
    EXPECT_FALSE(firstOut.contains("first paint"));

    QProcess second;
    start(second,
          {QStringLiteral("--emulator"), QStringLiteral("--quit-after"), QStringLiteral("20000")});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    // It created no window of its own.
    EXPECT_FALSE(second.readAllStandardOutput().contains("first paint"));

    // The first shows its window (and paints it) on the request.
    EXPECT_TRUE(waitUntil(
        [&] {
            firstOut += first.readAllStandardOutput();
            return firstOut.contains("first paint");
        },
        10000));
    EXPECT_EQ(first.state(), QProcess::Running);

    // SIGTERM closes the window the way its close button does: exit code 0.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
}

}  // namespace
}  // namespace kg
