#include "mainwnd/LightingPanels.h"

#include <QString>

#include "controls/CoordButtonImage.h"
#include "lighting/DeviceConnection.h"
#include "lighting/LightingReports.h"
#include "settings/EffectStore.h"
#include "settings/MacroStore.h"
#include "settings/RecordStore.h"
#include "settings/SideLightStore.h"
#include "ui/ComboBox.h"
#include "ui/Controls.h"
#include "ui/DialogHost.h"
#include "ui/HostWnd.h"
#include "ui/MessageBox.h"
#include "ui/SliderBar.h"
#include "ui/TabCtrl.h"
#include "ui/Toolkit.h"

namespace kg {

namespace {

// Entries 1 to 8 of the program's named-ID table (as the start-up gave it to the toolkit) name
// the panel's sliders.
constexpr int kFirstSliderName = 1;
constexpr int kLastSliderName = 8;

const QString kSideSliderName = QStringLiteral("bar_side_brightness");

// Side effects 0 to 2 move; their slider sets the speed. The others are steady colours whose
// slider sets the brightness.
constexpr int kLastMovingSideEffect = 2;

bool isPanelSlider(const QString& name) {
    const kg::ui::Toolkit* tk = kg::ui::Toolkit::instance();
    if (tk == nullptr) {
        return false;
    }
    const kg::ui::NamedIds& ids = tk->namedIds();
    for (int i = kFirstSliderName; i <= kLastSliderName && i < ids.count(); ++i) {
        if (name == ids.at(i).name) {
            return true;
        }
    }
    return false;
}

std::uint8_t lowByte(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

// A slider the layout lacks leaves the value it would have set as it is.
int positionOr(const kg::ui::SliderBar* slider, int current) {
    return slider ? slider->value() : current;
}

bool isChecked(const kg::ui::RadioBox* radio) {
    return radio != nullptr && radio->isChecked();
}

void showValue(kg::ui::SliderBar* slider, int value) {
    if (slider) {
        slider->setValue(value);
    }
}

}  // namespace

LightingPanels::LightingPanels(kg::ui::HostWnd& window, DeviceConnection& connection,
                               ProgramStores stores)
    : m_window(window), m_connection(connection), m_stores(stores) {}

kg::ui::SliderBar* LightingPanels::speedSlider(int page) const {
    return page >= 0 && page < 4 ? m_speedSliders[static_cast<std::size_t>(page)] : nullptr;
}

kg::ui::SliderBar* LightingPanels::brightnessSlider(int page) const {
    return page >= 0 && page < 4 ? m_brightnessSliders[static_cast<std::size_t>(page)] : nullptr;
}

void LightingPanels::setUp(kg::ui::TabCtrl* effectTabs) {
    m_effectTabs = effectTabs;

    // The profile combo box has no function in this keyboard; its changes are taken and
    // dropped.
    m_levelCombo = m_window.findChildAs<kg::ui::ComboBox>(QStringLiteral("cbx_in_lv"));
    if (m_levelCombo) {
        m_levelCombo->setCurSel(0, true);
        m_levelCombo->subscribe(kg::ui::kEventSelChanged, [](kg::ui::Event& e) {
            return e.sender != nullptr && e.sender->isClass(u"combobox");
        });
    }

    m_effectCombo = m_window.findChildAs<kg::ui::ComboBox>(QStringLiteral("cbx_color_effect"));
    m_sideCombo = m_window.findChildAs<kg::ui::ComboBox>(QStringLiteral("cbx_side_color_effect"));
    for (kg::ui::ComboBox* combo : {m_effectCombo, m_sideCombo}) {
        if (combo) {
            combo->subscribe(kg::ui::kEventSelChanged,
                             [this](kg::ui::Event& e) { return onComboSelChanged(e); });
        }
    }

    m_sideSlider = m_window.findChildAs<kg::ui::SliderBar>(kSideSliderName);
    m_sideLabel =
        m_window.findChildByName(QStringLiteral("text_side_brightness"), QStringLiteral("window"));

    m_speedSliders = {m_window.findChildAs<kg::ui::SliderBar>(kIdSpeed0),
                      m_window.findChildAs<kg::ui::SliderBar>(kIdSpeed1), nullptr,
                      m_window.findChildAs<kg::ui::SliderBar>(kIdSpeed3)};
    m_brightnessSliders = {m_window.findChildAs<kg::ui::SliderBar>(kIdBrightness0),
                           m_window.findChildAs<kg::ui::SliderBar>(kIdBrightness1),
                           m_window.findChildAs<kg::ui::SliderBar>(kIdBrightness2),
                           m_window.findChildAs<kg::ui::SliderBar>(kIdBrightness3)};

    m_directionRadios = {m_window.findChildAs<kg::ui::RadioBox>(kIdDirectionLeft0),
                         m_window.findChildAs<kg::ui::RadioBox>(kIdDirectionRight0)};
    m_loaderRadios = {m_window.findChildAs<kg::ui::RadioBox>(kIdLoaderLeft3),
                      m_window.findChildAs<kg::ui::RadioBox>(kIdLoaderCenter3)};
    // Only shown: the right option counts as chosen when neither of the others is checked.
    m_loaderRight = m_window.findChildAs<kg::ui::RadioBox>(kIdLoaderRight3);
    for (auto* list : {&m_directionRadios, &m_loaderRadios}) {
        for (kg::ui::RadioBox* radio : *list) {
            if (radio) {
                radio->setChecked(false);
            }
        }
    }
}

void LightingPanels::enableEffectControls(bool on) {
    if (m_effectTabs) {
        m_effectTabs->setEnabled(on);
    }
    for (auto* list : {&m_speedSliders, &m_brightnessSliders}) {
        for (kg::ui::SliderBar* slider : *list) {
            if (slider) {
                slider->setEnabled(on);
            }
        }
    }
    for (kg::ui::RadioBox* radio : {m_directionRadios[0], m_directionRadios[1], m_loaderRadios[0],
                                    m_loaderRadios[1], m_loaderRight}) {
        if (radio) {
            radio->setEnabled(on);
        }
    }
}

void LightingPanels::showLoaderSelection(int selection) {
    // 1 left, 2 centre, anything else right (as loaderSelection reads them back).
    kg::ui::RadioBox* shown = selection == 1   ? m_loaderRadios[0]
                              : selection == 2 ? m_loaderRadios[1]
                                               : m_loaderRight;
    for (kg::ui::RadioBox* radio : {m_loaderRadios[0], m_loaderRadios[1], m_loaderRight}) {
        if (radio) {
            radio->setChecked(radio == shown);
        }
    }
}

int LightingPanels::loaderSelection() const {
    if (isChecked(m_loaderRadios[0])) {
        return 1;
    }
    if (isChecked(m_loaderRadios[1])) {
        return 2;
    }
    return 3;
}

void LightingPanels::SyncEffectPanel(bool toPanel, bool selectItem) {
    EffectStore& store = m_stores.effects;
    if (toPanel) {
        const int index = store.currentIndex();
        // A changed selection runs the combo box's handler to its end before this goes on.
        if (selectItem && m_effectCombo && !m_effectCombo->setCurSel(index, true)) {
            // No effect in use (20 after a factory reset): the box shows none, quietly.
            m_effectCombo->setCurSel(-1, false);
        }
        EffectRecord* record = store.record(index);
        // Without an effect the backlight's sliders and radios would edit nothing.
        enableEffectControls(record != nullptr);
        if (record == nullptr) {
            return;
        }
        // The panel shows the record: every slider and radio of the effect's page takes the
        // stored value, so that showing an effect never changes what is stored.
        if (index == 0) {
            if (m_effectTabs) {
                m_effectTabs->setCurSel(kPageBrightness);
            }
            showValue(m_brightnessSliders[2], record->brightness);
        } else if (index == 1) {
            if (m_effectTabs) {
                m_effectTabs->setCurSel(kPageLoader);
            }
            showValue(m_speedSliders[3], record->speed);
            showValue(m_brightnessSliders[3], record->brightness);
            showLoaderSelection(record->selection);
        } else {
            if (m_effectTabs) {
                m_effectTabs->setCurSel(kPageSpeedBrightness);
            }
            showValue(m_speedSliders[1], record->speed);
            showValue(m_brightnessSliders[1], record->brightness);
        }
        return;
    }

    const int selected = m_effectCombo ? m_effectCombo->curSel() : -1;
    store.setCurrentIndex(selected);
    EffectRecord* record = store.record(selected);
    if (record == nullptr) {
        return;
    }
    if (selected == 0) {
        record->brightness = lowByte(positionOr(m_brightnessSliders[2], record->brightness));
    } else if (selected == 1) {
        record->speed = lowByte(positionOr(m_speedSliders[3], record->speed));
        record->brightness = lowByte(positionOr(m_brightnessSliders[3], record->brightness));
        record->selection = static_cast<std::uint8_t>(loaderSelection());
    } else {
        record->speed = lowByte(positionOr(m_speedSliders[1], record->speed));
        record->brightness = lowByte(positionOr(m_brightnessSliders[1], record->brightness));
    }
    store.save();
}

void LightingPanels::SyncSidePanel(bool toPanel, bool selectItem) {
    SideLightStore& store = m_stores.sideLights;
    if (toPanel) {
        const int index = store.currentIndex();
        if (m_sideLabel) {
            m_sideLabel->setText(index <= kLastMovingSideEffect ? QStringLiteral("Speed")
                                                                : QStringLiteral("Brightness"));
        }
        if (selectItem && m_sideCombo) {
            m_sideCombo->setCurSel(index, true);
        }
        if (const SideLightRecord* record = store.record(index); record && m_sideSlider) {
            m_sideSlider->setValue(record->level());
        }
        return;
    }

    const int selected = m_sideCombo ? m_sideCombo->curSel() : -1;
    store.setCurrentIndex(selected);
    SideLightRecord* record = store.record(selected);
    if (record == nullptr) {
        return;
    }
    record->setLevel(positionOr(m_sideSlider, record->level()) & 0x0F);
    store.save();
}

bool LightingPanels::onComboSelChanged(kg::ui::Event& e) {
    if (e.sender == nullptr || !e.sender->isClass(u"combobox")) {
        return false;
    }
    if (e.senderId == kIdEffectCombo) {
        m_stores.effects.setCurrentIndex(e.newSel);
        SyncEffectPanel(true, false);
        m_connection.commands().SendEffectCommand(e.newSel);
        return true;
    }
    if (e.senderId == kIdSideCombo) {
        m_stores.sideLights.setCurrentIndex(e.newSel);
        SyncSidePanel(true, false);
        m_connection.commands().SendSideLightCommand(e.newSel);
        return true;
    }
    return false;
}

void LightingPanels::sendSelectedEffect() {
    m_connection.commands().SendEffectCommand(m_effectCombo ? m_effectCombo->curSel() : -1);
}

void LightingPanels::onSliderPos(const kg::ui::Event& e) {
    if (e.senderName == kSideSliderName) {
        SyncSidePanel(false, false);
        m_connection.commands().SendSideLightCommand(m_sideCombo ? m_sideCombo->curSel() : -1);
        return;
    }
    SyncEffectPanel(false, false);
    sendSelectedEffect();
}

bool LightingPanels::onEvent(kg::ui::Event& e) {
    if (e.id == kg::ui::kEventSliderPos) {
        if (e.sender == nullptr || !e.sender->isClass(u"sliderbar") ||
            !isPanelSlider(e.senderName)) {
            return false;
        }
        onSliderPos(e);
        return true;
    }
    if (e.id != kg::ui::kEventCommand) {
        return false;
    }
    switch (e.senderId) {
        case kIdDirectionLeft0:
        case kIdDirectionRight0:
        case kIdLoaderLeft3:
        case kIdLoaderCenter3:
        case kIdLoaderRight3:
            SyncEffectPanel(false, false);
            sendSelectedEffect();
            return true;
        default:
            break;
    }
    if (e.senderName == QLatin1String("btn_restore_factory")) {
        RestoreFactory();
        return true;
    }
    return false;
}

void LightingPanels::clearKeyMarks() {
    auto* image = qobject_cast<CoordButtonImage*>(
        m_window.findChildByName(QStringLiteral("img_keyboard"), QStringLiteral("cbimg")));
    if (image) {
        image->setKeyChecked(CoordButtonImage::kAllKeys, 0);
    }
}

void LightingPanels::RestoreFactory() {
    if (kg::ui::messageBox(
            &m_window,
            QStringLiteral("All settings will be restored, are you sure you want to continue?"),
            QStringLiteral("Warning"),
            // Enter must not wipe everything: Cancel is the default.
            kg::ui::kMbOkCancel | kg::ui::kMbDefButton2) != kg::ui::kIdOk) {
        return;
    }
    // The keyboard restarts after the reset report; its removal must not end the program.
    m_connection.setFactoryResetPending(true);

    m_stores.macros.resetConfig();
    m_stores.records.clearRecords();
    m_stores.effects.resetDefaults();
    m_stores.sideLights.resetDefaults();
    // Effect record 0 changed without a lighting command; the start-up report takes it from
    // here.
    m_connection.commands().publishStartupRecord();

    SyncSidePanel(true, true);
    SyncEffectPanel(true, true);
    clearKeyMarks();

    RecordStore& records = m_stores.records;
    records.clearRecords();
    const Report factoryReset = FactoryResetReport();
    m_connection.device().Write(factoryReset.data());
    records.clearRecords();
    const Report effectReset = EffectResetReport();
    m_connection.device().Write(effectReset.data());
}

}  // namespace kg
