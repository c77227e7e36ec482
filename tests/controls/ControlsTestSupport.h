#pragma once

// What the controls tests share: the application on Qt's offscreen platform, a toolkit with
// the program's controls registered, a resource folder in a temporary directory, state-strip
// skins of plain colours, and synthetic mouse and key events.

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "controls/RegisterControls.h"
#include "platform/ProgramFolder.h"
#include "tests/support/StageProgramResources.h"
#include "ui/HostWnd.h"
#include "ui/Skin.h"
#include "ui/Toolkit.h"

namespace kgtest {

// The application that the test program's main creates (on the offscreen platform).
inline QApplication& application() {
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

// A picture of `states` states side by side, state i filled with colours[i].
inline QPixmap stripOf(const std::vector<QColor>& colours, QSize stateSize) {
    QImage img(stateSize.width() * static_cast<int>(colours.size()), stateSize.height(),
               QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    for (size_t i = 0; i < colours.size(); ++i) {
        p.fillRect(QRect(QPoint(static_cast<int>(i) * stateSize.width(), 0), stateSize),
                   colours[i]);
    }
    p.end();
    return QPixmap::fromImage(img);
}

inline void addStripSkin(kg::ui::Toolkit& tk, const QString& name,
                         const std::vector<QColor>& colours, QSize stateSize) {
    auto s = std::make_unique<kg::ui::Skin>();
    s->name = name;
    s->kind = kg::ui::Skin::Kind::ImageList;
    s->image = stripOf(colours, stateSize);
    s->states = static_cast<int>(colours.size());
    tk.addSkin(std::move(s));
}

// Distinct colours for the frames of an animation or the states of a skin.
inline std::vector<QColor> distinctColours(int n, int hueOffset = 0) {
    std::vector<QColor> out;
    for (int i = 0; i < n; ++i) {
        out.push_back(
            QColor(QColor::fromHsv((hueOffset + i * 360 / (n + 1)) % 360, 255, 255).rgb()));
    }
    return out;
}

// The application, a toolkit with the controls registered and a resource folder of its own.
class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        ASSERT_TRUE(m_dir.isValid());
        m_toolkit = std::make_unique<kg::ui::Toolkit>();
        kg::registerControls(m_toolkit->factory());
    }
    void TearDown() override {
        m_hosts.clear();
        m_toolkit.reset();
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    bool writeFile(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        QDir().mkpath(QFileInfo(f).absolutePath());
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    // The path of a file of the temporary folder as a "crdxml" value: relative to the
    // program folder, with the Windows separator.
    static std::wstring fromProgramFolder(const QString& file) {
        const QDir program(QString::fromStdWString(platform::programFolder()));
        return QDir::toNativeSeparators(program.relativeFilePath(file))
            .replace(QLatin1Char('/'), QLatin1Char('\\'))
            .toStdWString();
    }

    // Writes the layout as resource "LAYOUT:test" (with any further index entries, e.g.
    // `<main><file name="x_png" path="x.png"/></main>`), builds a host window from it with
    // the timeline timer off, and returns it.
    kg::ui::HostWnd* buildHost(const QByteArray& layout, const QByteArray& moreIndex = {}) {
        EXPECT_TRUE(writeFile(QStringLiteral("test.xml"), layout));
        EXPECT_TRUE(writeFile(QStringLiteral("uires.idx"),
                              "<resource><LAYOUT><file name=\"test\" path=\"test.xml\"/></LAYOUT>" +
                                  moreIndex + "</resource>"));
        EXPECT_TRUE(m_toolkit->resources().openFolder(m_dir.path()));
        auto host = std::make_unique<kg::ui::HostWnd>(QStringLiteral("LAYOUT:test"));
        host->setTimelineTimerEnabled(false);
        EXPECT_TRUE(host->create());
        m_hosts.push_back(std::move(host));
        return m_hosts.back().get();
    }

    // Inside the program folder: layouts name their key layout file relative to it, and under
    // Wine the system's temporary folder lies on another drive (C:) than the build tree (Z:), so
    // no relative path would lead there.
    QTemporaryDir m_dir{QString::fromStdWString(platform::programFolder()) +
                        QStringLiteral("/kg-test-XXXXXX")};
    std::unique_ptr<kg::ui::Toolkit> m_toolkit;
    std::vector<std::unique_ptr<kg::ui::HostWnd>> m_hosts;
};

// Synthetic mouse events, delivered as the window system delivers them.
inline void sendMouse(QWidget* w, QEvent::Type type, QPoint pt, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(type, QPointF(pt), QPointF(w->mapToGlobal(pt)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}
inline void moveTo(QWidget* w, QPoint pt) {
    sendMouse(w, QEvent::MouseMove, pt, Qt::NoButton, Qt::NoButton);
}
inline void pressAt(QWidget* w, QPoint pt, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    sendMouse(w, QEvent::MouseButtonPress, pt, Qt::LeftButton, Qt::LeftButton, mods);
}
inline void releaseAt(QWidget* w, QPoint pt) {
    sendMouse(w, QEvent::MouseButtonRelease, pt, Qt::LeftButton, Qt::NoButton);
}
inline void clickAt(QWidget* w, QPoint pt) {
    pressAt(w, pt);
    releaseAt(w, pt);
}
inline void enter(QWidget* w, QPoint pt) {
    QEnterEvent e{QPointF(pt), QPointF(pt), QPointF(w->mapToGlobal(pt))};
    QApplication::sendEvent(w, &e);
}
inline void leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}
inline void keyDown(QWidget* w, int key, bool autoRepeat = false, const QString& text = {}) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text, autoRepeat);
    QApplication::sendEvent(w, &e);
}

// The control as it paints itself, on a transparent image.
inline QImage render(QWidget* w) {
    QImage img(w->size(), QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    w->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

inline QRgb px(const QImage& img, int x, int y) {
    return img.pixel(x, y);
}

}  // namespace kgtest
