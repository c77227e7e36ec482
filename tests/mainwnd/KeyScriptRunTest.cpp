// The running program driven from outside: keyglow --emulator reads key lines from
// KEYGLOW_EMULATOR_KEYS and writes what it does to KEYGLOW_EMULATOR_LOG.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

bool writeText(const QString& path, const QByteArray& text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

TEST(KeyScriptRun, TheProgramReassignsScriptedKeysAndLogsWhatItDid) {
    const QString built = QStringLiteral(KEYGLOW_BIN_DIR);
    ASSERT_TRUE(QFileInfo::exists(built + QStringLiteral("/keyglow")))
        << "build the keyglow target first";
    // A program folder of its own, so that the settings files land there.
    QTemporaryDir folder;
    QTemporaryDir runtime;
    ASSERT_TRUE(folder.isValid() && runtime.isValid());
    const QString program = folder.filePath(QStringLiteral("keyglow"));
    ASSERT_TRUE(QFile::copy(built + QStringLiteral("/keyglow"), program));
    ASSERT_TRUE(QFile::copy(built + QStringLiteral("/config.xml"),
                            folder.filePath(QStringLiteral("config.xml"))));
    ASSERT_TRUE(
        QFile::link(built + QStringLiteral("/uires"), folder.filePath(QStringLiteral("uires"))));
    // F types A; G has no assignment.
    ASSERT_TRUE(writeText(folder.filePath(QStringLiteral("record.xml")),
                          "<?xml version=\"1.0\"?>\n<record code=\"70\" type=\"1\" repeat=\"0\" "
                          "name=\"F\" group=\"A\" mode=\"0\">\n\t<item code=\"65\" state=\"0\" "
                          "delay=\"0\" name=\"\" />\n</record>\n"));
    const QString keys = folder.filePath(QStringLiteral("keys.txt"));
    ASSERT_TRUE(writeText(keys,
                          "wait 300\ndown 0x46\nwait 50\nup 0x46\ndown 0x47\nup 0x47 ext\n"
                          "bogus\n"));
    const QString log = folder.filePath(QStringLiteral("emulator.log"));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("KEYGLOW_EMULATOR_KEYS"), keys);
    env.insert(QStringLiteral("KEYGLOW_EMULATOR_LOG"), log);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program,
            {QStringLiteral("--emulator"), QStringLiteral("--quit-after"), QStringLiteral("2500")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);

    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList keyLines, scriptLines;
    for (const QByteArray& line : f.readAll().split('\n')) {
        // The keyboard's report lines share the file; only the key stream's are looked at. The
        // reader notes a bad line as soon as it reads it, ahead of the keys the UI still offers.
        if (line.startsWith("key ") || line.startsWith("pass ")) {
            keyLines << QString::fromUtf8(line);
        } else if (line.startsWith("script ")) {
            scriptLines << QString::fromUtf8(line);
        }
    }
    EXPECT_EQ(keyLines,
              (QStringList{QStringLiteral("key down 0x41"), QStringLiteral("key up 0x41"),
                           QStringLiteral("pass down 0x47"), QStringLiteral("pass up 0x47 ext")}));
    EXPECT_EQ(scriptLines, QStringList{QStringLiteral("script line 7 not understood: bogus")});
}

}  // namespace
