#pragma once

#include <array>

#include "settings/ProgramStores.h"
#include "ui/Events.h"

namespace kg::ui {
class ComboBox;
class HostWnd;
class RadioBox;
class SliderBar;
class TabCtrl;
class Window;
}  // namespace kg::ui

namespace kg {

class DeviceConnection;

// The backlight and side-light panels of the main window: which store field each control
// shows, when the stores are written and when a lighting report goes out, and the factory
// reset behind "btn_restore_factory". The window owns one, sets it up after finding its
// controls and hands it the events its own map leaves. Everything runs on the UI thread.
//
// Backlight: "cbx_color_effect" picks the effect (0 to 19); "tab_color_effect" shows page 2
// for effect 0 (brightness), page 3 for effect 1 (speed, brightness, where the flow starts)
// and page 1 for effects 2 to 19 (speed, brightness). Side light: "cbx_side_color_effect"
// picks the side effect (0 to 11); "bar_side_brightness" is its speed for side effects 0 to 2
// and its brightness for the others, which "text_side_brightness" says.
class LightingPanels {
public:
    // Control IDs of the named-ID table that the panels know their controls by.
    static constexpr int kIdEffectCombo = 65541;
    static constexpr int kIdSideCombo = 65558;
    static constexpr int kIdSpeed0 = 65543;
    static constexpr int kIdBrightness0 = 65544;
    static constexpr int kIdDirectionLeft0 = 65545;
    static constexpr int kIdDirectionRight0 = 65546;
    static constexpr int kIdSpeed1 = 65547;
    static constexpr int kIdBrightness1 = 65548;
    static constexpr int kIdBrightness2 = 65549;
    static constexpr int kIdSpeed3 = 65550;
    static constexpr int kIdBrightness3 = 65551;
    static constexpr int kIdLoaderLeft3 = 65552;
    static constexpr int kIdLoaderCenter3 = 65553;
    static constexpr int kIdLoaderRight3 = 65554;

    // The tab pages by effect.
    static constexpr int kPageSpeedBrightness = 1;  // effects 2 to 19
    static constexpr int kPageBrightness = 2;       // effect 0
    static constexpr int kPageLoader = 3;           // effect 1

    LightingPanels(kg::ui::HostWnd& window, DeviceConnection& connection, ProgramStores stores);

    // Finds the panel controls and subscribes the combo boxes; a missing control (or one of
    // another class) leaves its member empty and the handlers that need it skip it.
    void setUp(kg::ui::TabCtrl* effectTabs);

    // Moves values between the EffectStore and the backlight panel: toPanel shows the current
    // effect (selectItem: also selects it in the combo box, which raises the combo box's
    // handler at once when the selection changes); otherwise takes the combo box's effect and
    // the sliders and radios of its page into the store, saving.
    void SyncEffectPanel(bool toPanel, bool selectItem);
    // The same for the SideLightStore and the side-light panel.
    void SyncSidePanel(bool toPanel, bool selectItem);

    // The factory reset: asks first, then puts the stores, the panels, the key marks and the
    // keyboard back to their defaults. The keyboard restarts afterwards; the connection keeps
    // the program running through it.
    void RestoreFactory();

    // Shorthands of the window for showing the stores.
    void syncEffectPanel(bool selectItem) { SyncEffectPanel(true, selectItem); }
    void syncSidePanel(bool selectItem) { SyncSidePanel(true, selectItem); }

    // Panel events (sliders, radios, "btn_restore_factory"); false for others.
    bool onEvent(kg::ui::Event& e);

    kg::ui::ComboBox* effectCombo() const { return m_effectCombo; }
    kg::ui::ComboBox* sideCombo() const { return m_sideCombo; }
    kg::ui::ComboBox* levelCombo() const { return m_levelCombo; }
    kg::ui::TabCtrl* effectTabs() const { return m_effectTabs; }
    kg::ui::SliderBar* sideSlider() const { return m_sideSlider; }
    kg::ui::Window* sideLabel() const { return m_sideLabel; }
    // By page; page 2 has no speed slider.
    kg::ui::SliderBar* speedSlider(int page) const;
    kg::ui::SliderBar* brightnessSlider(int page) const;

private:
    bool onComboSelChanged(kg::ui::Event& e);
    void onSliderPos(const kg::ui::Event& e);
    void sendSelectedEffect();
    // 1, 2 or 3 from the loader radios; the right one counts as chosen when neither of the
    // other two is checked.
    int loaderSelection() const;
    // The backlight's sliders and radios, usable only while an effect is chosen.
    void enableEffectControls(bool on);
    // Checks the loader radio of a stored selection and unchecks the others.
    void showLoaderSelection(int selection);
    void clearKeyMarks();

    kg::ui::HostWnd& m_window;
    DeviceConnection& m_connection;
    ProgramStores m_stores;
    kg::ui::TabCtrl* m_effectTabs = nullptr;
    kg::ui::ComboBox* m_levelCombo = nullptr;
    kg::ui::ComboBox* m_effectCombo = nullptr;
    kg::ui::ComboBox* m_sideCombo = nullptr;
    kg::ui::SliderBar* m_sideSlider = nullptr;
    kg::ui::Window* m_sideLabel = nullptr;
    std::array<kg::ui::SliderBar*, 4> m_speedSliders{};
    std::array<kg::ui::SliderBar*, 4> m_brightnessSliders{};
    std::array<kg::ui::RadioBox*, 2> m_directionRadios{};
    // radio_loader_left_3 and radio_loader_center_3.
    std::array<kg::ui::RadioBox*, 2> m_loaderRadios{};
    kg::ui::RadioBox* m_loaderRight = nullptr;
};

}  // namespace kg
