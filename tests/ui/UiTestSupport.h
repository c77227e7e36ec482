#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <memory>

#include "ui/Toolkit.h"

namespace kg::ui::test {

// Catches the toolkit's diagnostics while it lives.
class DiagnosticCatcher {
public:
    DiagnosticCatcher();
    ~DiagnosticCatcher();
    QStringList messages() const;
    bool contains(const QString& text) const;
    void clear();
};

// A resource folder in a temp directory, written from (relative path -> content) pairs.
class TempResources {
public:
    explicit TempResources(const std::map<QString, QByteArray>& files);
    QString folder() const { return m_dir.path(); }
    bool ok() const { return m_ok; }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

// The folder of the shipped resources in the source tree.
QString shippedResources();

// A toolkit on the shipped resources with the named-ID table and the UI definition loaded, and
// stand-ins for the program's own control classes.
std::unique_ptr<Toolkit> makeShippedToolkit();
void registerProgramStandIns(ObjectFactory& f);

}  // namespace kg::ui::test
