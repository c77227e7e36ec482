#pragma once

// The program's start against the emulated keyboard for the lighting panel tests and the panel
// pictures: the toolkit on the build's resource folder, the stores on files in a temp folder,
// the build's configuration and the real main window, initialised as the start-up does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "app/NamedIdTable.h"
#include "app/ProgramControls.h"
#include "controls/CoordButtonImage.h"
#include "mainwnd/CMainDlg.h"
#include "platform/ProgramFolder.h"
#include "platform/emulator/EmulatedKeyboard.h"
#include "platform/emulator/EmulatorDeviceNotifier.h"
#include "platform/emulator/KeyStream.h"
#include "settings/AppConfig.h"
#include "settings/EffectStore.h"
#include "settings/MacroStore.h"
#include "settings/RecordStore.h"
#include "settings/SideLightStore.h"
#include "tests/support/StageProgramResources.h"
#include "ui/ComboBox.h"
#include "ui/Controls.h"
#include "ui/DialogHost.h"
#include "ui/MessageBox.h"
#include "ui/SliderBar.h"
#include "ui/TabCtrl.h"
#include "ui/Toolkit.h"

namespace kgtest {

using Bytes = std::vector<std::uint8_t>;
using platform::EmulatedKeyboard;

inline QString binUires() {
    return QStringLiteral(KEYGLOW_BIN_DIR "/uires");
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray golden(const char* name) {
    return readFile(QStringLiteral(KEYGLOW_TEST_DATA_DIR "/stores/") + QLatin1String(name));
}

// An attribute of the i-th item of a settings file, or of its root when item is -1.
inline int fileValue(const QString& path, int item, const char* attribute) {
    pugi::xml_document doc;
    if (!doc.load_file(path.toUtf8().constData())) {
        return -1000;
    }
    pugi::xml_node node = doc.child("effect");
    if (item >= 0) {
        node = node.first_child();
        for (int i = 0; i < item && node; ++i) {
            node = node.next_sibling();
        }
    }
    return node ? node.attribute(attribute).as_int(-1000) : -1000;
}

// "ledeffect.xml" with `sel` and one (brightness, speed) pair per item.
inline QByteArray effectFile(int sel, const std::vector<std::pair<int, int>>& items) {
    QByteArray xml = "<?xml version=\"1.0\"?>\n<effect sel=\"" + QByteArray::number(sel) + "\">\n";
    for (const auto& [brightness, speed] : items) {
        xml += "\t<item speed=\"" + QByteArray::number(speed) + "\" brightness=\"" +
               QByteArray::number(brightness) + "\" deriction=\"0\" selection=\"1\" />\n";
    }
    return xml + "</effect>\n";
}

inline QByteArray sideFile(int sel, const std::vector<int>& levels) {
    QByteArray xml = "<?xml version=\"1.0\"?>\n<effect sel=\"" + QByteArray::number(sel) + "\">\n";
    for (int level : levels) {
        xml += "\t<item brightness=\"" + QByteArray::number(level) + "\" />\n";
    }
    return xml + "</effect>\n";
}

// The lighting reports the keyboard received (the firmware request and its reply left out).
inline std::vector<Bytes> lightingReports(const EmulatedKeyboard& keyboard) {
    std::vector<Bytes> out;
    for (const EmulatedKeyboard::Report& r : keyboard.reports()) {
        if (r.kind == EmulatedKeyboard::ReportKind::GetFeature ||
            (r.bytes.size() > 1 && r.bytes[1] == 0xFC)) {
            continue;
        }
        out.push_back(r.bytes);
    }
    return out;
}

inline std::string hex(const std::vector<Bytes>& reports) {
    std::string s;
    static const char* digits = "0123456789abcdef";
    for (const Bytes& b : reports) {
        for (std::uint8_t v : b) {
            s += digits[v >> 4];
            s += digits[v & 0x0F];
            s += ' ';
        }
        s += '|';
    }
    return s;
}

// The program's start against the emulated keyboard, with its settings in a temp folder: the
// toolkit on the build's resource folder, the stores, the configuration of the build and the
// real main window, initialised as the start-up does.
class LightingPanelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        if (!QFile::exists(binUires() + QStringLiteral("/uires.idx"))) {
            GTEST_SKIP() << "the build has not copied the resource folder to " << KEYGLOW_BIN_DIR;
        }
        ASSERT_TRUE(stageResources());
    }

    void TearDown() override {
        kg::ui::setMessageBoxAnswerer(nullptr);
        if (m_window && !m_window->isDestroyed()) {
            m_window->destroyWindow();
        }
        m_window.reset();
        m_toolkit.reset();
        m_keyboard.reset();
    }

    QString settings(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

    // The resource index of bin/uires, with the main layout copied so that the keyboard
    // image finds its key layout from this test's program folder.
    bool stageResources() {
        const QString dir = m_dir.filePath(QStringLiteral("uires"));
        QString why;
        return QDir().mkpath(dir) && kgtest::stageProgramResources(dir, &why);
    }

    // Loads the stores from the temp folder (writing the given files first) and starts the
    // window.
    void start(const QByteArray& ledeffect = {}, const QByteArray& sidemodel = {}) {
        if (!ledeffect.isEmpty()) {
            ASSERT_TRUE(writeFile(settings("ledeffect.xml"), ledeffect));
        }
        if (!sidemodel.isEmpty()) {
            ASSERT_TRUE(writeFile(settings("sidemodel.xml"), sidemodel));
        }
        m_toolkit = std::make_unique<kg::ui::Toolkit>();
        ASSERT_TRUE(m_toolkit->resources().openFolder(m_dir.filePath(QStringLiteral("uires"))));
        m_toolkit->namedIds().registerTable(kNamedIds, kNamedIdCount, true);
        ASSERT_TRUE(m_toolkit->loadUiDef(QStringLiteral("uidef:xml_init")));
        kg::registerProgramControls(m_toolkit->factory());

        ASSERT_TRUE(AppConfig::instance().loadFile(
            QStringLiteral(KEYGLOW_BIN_DIR "/config.xml").toStdWString()));
        MacroStore::instance().load(settings("macro.xml").toStdWString());
        RecordStore::instance().load(settings("record.xml").toStdWString());
        SideLightStore::instance().load(settings("sidemodel.xml").toStdWString());
        EffectStore::instance().load(settings("ledeffect.xml").toStdWString());

        EmulatedKeyboard::Options options;
        options.logPath = settings("keyboard.log").toStdString();
        m_keyboard = std::make_unique<EmulatedKeyboard>(options);

        MainDlgServices services;
        services.hid = m_keyboard.get();
        services.keyOutput = &m_keys;
        services.notifier = std::make_unique<platform::EmulatorDeviceNotifier>(*m_keyboard);
        services.singleInstanceName = L"keyglow-panels-test";
        m_window = std::make_unique<CMainDlg>(std::move(services), kg::processWideStores());
        ASSERT_TRUE(m_window->create());
        m_window->sendMessage(kg::ui::kMsgInitDialog, 0, 0);
        ASSERT_FALSE(m_window->isDestroyed());
        ASSERT_TRUE(m_window->connection().keyboardConnected());
    }

    template <class T>
    T* control(const char* name) const {
        T* c = m_window->findChildAs<T>(QLatin1String(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    kg::ui::ComboBox* effectCombo() const { return control<kg::ui::ComboBox>("cbx_color_effect"); }
    kg::ui::ComboBox* sideCombo() const {
        return control<kg::ui::ComboBox>("cbx_side_color_effect");
    }
    kg::ui::TabCtrl* tabs() const { return control<kg::ui::TabCtrl>("tab_color_effect"); }
    kg::ui::SliderBar* slider(const char* name) const { return control<kg::ui::SliderBar>(name); }
    QString sideLabel() const {
        kg::ui::Window* label = m_window->findChildByName(QStringLiteral("text_side_brightness"));
        return label ? label->text() : QStringLiteral("<no label>");
    }

    // As the user picks an item in the drop-down list.
    static void choose(kg::ui::ComboBox* combo, int item) {
        combo->comboBox()->setCurrentIndex(item);
    }

    // As the user drags a slider to `value`: the slider moves and raises its position event.
    static void drag(kg::ui::SliderBar* bar, int value) {
        bar->setValue(value);
        kg::ui::Event e;
        e.id = kg::ui::kEventSliderPos;
        e.value = bar->value();
        bar->fireEvent(e);
    }

    void clickRestoreFactory() const {
        auto* button = control<kg::ui::Button>("btn_restore_factory");
        ASSERT_NE(button, nullptr);
        button->click();
    }

    // Runs the Qt loop until `done` or until a generous limit has passed.
    template <class Pred>
    static bool runUntil(Pred done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
        return done();
    }

    QTemporaryDir m_dir;
    platform::emulator::KeyStream m_keys;
    std::unique_ptr<kg::ui::Toolkit> m_toolkit;
    std::unique_ptr<EmulatedKeyboard> m_keyboard;
    std::unique_ptr<CMainDlg> m_window;
};

}  // namespace kgtest
