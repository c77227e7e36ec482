#pragma once

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <string>

namespace kg::test {

// A program folder in a temp directory: "config.xml" (the shipped one, with the language
// attribute set as asked, or none at all) and "uires" linked to the build tree's resources.
// The settings files the program writes land here too.
class ProgramFolder {
public:
    // language: "cn", "en", ... ; empty: no config.xml at all.
    explicit ProgramFolder(const QString& language = QStringLiteral("en"));
    bool ok() const { return m_ok; }
    QString path() const { return m_dir.path(); }
    std::wstring wpath() const { return path().toStdWString(); }
    static QString builtResources();

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

// Runs the event loop until `done` is true or `timeout_ms` have passed; returns `done()`.
bool waitUntil(const std::function<bool()>& done, int timeout_ms = 5000);

}  // namespace kg::test
