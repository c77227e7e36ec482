// The keyglow program's answers to --help, --version and an unknown option, as a user at a
// terminal sees them: no window, the text on the terminal and the exit code.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <string>

namespace {

struct CommandLineCase {
    const char* name;
    QStringList args;
    int exitCode;
    const char* stdoutStarts;  // nullptr: nothing on standard output
    const char* stderrStarts;  // nullptr: nothing on standard error
};

const CommandLineCase kCases[] = {
    {"Help", {QStringLiteral("--help")}, 0, "usage: keyglow [-hid]", nullptr},
    {"Version", {QStringLiteral("--version")}, 0, "keyglow 0.", nullptr},
    {"HelpWithHid",
     {QStringLiteral("-hid"), QStringLiteral("--help")},
     0,
     "usage: keyglow",
     nullptr},
    {"UnknownOption",
     {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--bogus")},
     2,
     nullptr,
     "keyglow: unknown option --bogus\nusage: keyglow [-hid]"},
    {"OptionWithoutValue",
     {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--quit-after")},
     2,
     nullptr,
     "keyglow: --quit-after needs a value\nusage: keyglow"},
};

class ProgramCommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(ProgramCommandLine, AnswersWithoutStartingTheWindow) {
    const QString program = QStringLiteral(KEYGLOW_BIN_DIR "/keyglow");
    ASSERT_TRUE(QFileInfo::exists(program)) << "build the keyglow target first";
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display at all: --help and --version must not need one.
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, GetParam().args);
    ASSERT_TRUE(p.waitForFinished(10000));
    const std::string out = p.readAllStandardOutput().toStdString();
    const std::string err = p.readAllStandardError().toStdString();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), GetParam().exitCode) << out << err;
    if (GetParam().stdoutStarts) {
        EXPECT_EQ(out.rfind(GetParam().stdoutStarts, 0), 0u) << out;
    } else {
        EXPECT_EQ(out, "");
    }
    if (GetParam().stderrStarts) {
        EXPECT_EQ(err.rfind(GetParam().stderrStarts, 0), 0u) << err;
    } else {
        EXPECT_EQ(err, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Options, ProgramCommandLine, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
