#pragma once

// What the kill tests of the saves write: each settings file in two versions, each version a
// store whose save writes it. The test process and the process it kills make the same stores
// in a folder without settings files, so both know both versions byte for byte.

#include <functional>
#include <string>
#include <vector>

#include "settings/EffectStore.h"
#include "settings/MacroStore.h"
#include "settings/RecordStore.h"
#include "settings/SideLightStore.h"

namespace kgtest {

struct SettingsFile {
    std::string name;
    std::function<bool()> saveOld;
    std::function<bool()> saveNew;
    std::string oldBytes;  // filled by the test
    std::string newBytes;
};

// The two versions of every settings file, saving to `path(name)`.
class SaveKillStores {
public:
    explicit SaveKillStores(const std::function<std::wstring(const char*)>& path) {
        m_effectOld.load(path("ledeffect.xml"));
        m_effectOld.resetDefaults();
        m_effectNew.load(path("ledeffect.xml"));
        m_effectNew.record(0)->brightness = 2;
        m_effectNew.record(7)->speed = 0;
        m_effectNew.setCurrentIndex(7);

        m_sideOld.load(path("sidemodel.xml"));
        m_sideNew.load(path("sidemodel.xml"));
        m_sideNew.record(3)->setLevel(1);
        m_sideNew.setCurrentIndex(3);

        // The new macro and record versions are made before their stores have a path, so that
        // making them saves nothing (a save without a path does nothing); loading a file that is
        // not there then gives the path and keeps what the stores hold.
        m_macroNew.config().repeat = 20;
        m_macroNew.addGroup();
        for (int i = 0; i < 200; ++i) {
            m_macroNew.groupAt(0)->addStep(0x41 + i % 26, i % 2, 10 * i, L"key");
        }
        for (int code = 0x41; code < 0x41 + 20; ++code) {
            KeyRecord r;
            r.code = code;
            r.repeat = 3;
            r.name = L"key";
            r.group = L"Group 0";
            r.steps.assign(10, MacroStep{0x42, 0, 5, L"B"});
            m_recordNew.setRecord(r);
        }
        m_macroOld.load(path("macro.xml"));
        m_macroNew.load(path("macro.xml"));
        m_recordOld.load(path("record.xml"));
        m_recordNew.load(path("record.xml"));
    }
    SaveKillStores(const SaveKillStores&) = delete;
    SaveKillStores& operator=(const SaveKillStores&) = delete;

    std::vector<SettingsFile> files() {
        return {
            {"ledeffect.xml",
             [this] { return m_effectOld.save(); },
             [this] { return m_effectNew.save(); },
             {},
             {}},
            {"sidemodel.xml",
             [this] { return m_sideOld.save(); },
             [this] { return m_sideNew.save(); },
             {},
             {}},
            {"macro.xml",
             [this] { return m_macroOld.save(); },
             [this] { return m_macroNew.save(); },
             {},
             {}},
            {"record.xml",
             [this] { return m_recordOld.save(); },
             [this] { return m_recordNew.save(); },
             {},
             {}},
        };
    }

    // The process that is killed: saves every file, switching between the versions, for ever.
    // `started` runs once after the first round.
    [[noreturn]] void saveForEver(const std::function<void()>& started) {
        std::vector<SettingsFile> all = files();
        for (unsigned n = 0;; ++n) {
            for (SettingsFile& f : all) {
                (n % 2 == 0 ? f.saveNew : f.saveOld)();
            }
            if (n == 0 && started) {
                started();
            }
        }
    }

private:
    EffectStore m_effectOld, m_effectNew;
    SideLightStore m_sideOld, m_sideNew;
    MacroStore m_macroOld, m_macroNew;
    RecordStore m_recordOld, m_recordNew;
};

}  // namespace kgtest
