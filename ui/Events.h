#pragma once

#include <QString>
#include <functional>

namespace kg::ui {

class Window;

// Event IDs. A control raises an event; its subscribers see it first, then (unless one of them
// marked it handled) the host window's event map.
enum EventId : int {
    kEventCommand = 10000,     // "on_command": a button, check box, radio or menu item was chosen
    kEventClick = 10001,       // "on_click": the left button went down and up on a control
    kEventMouseHover = 10010,  // "on_mouse_hover"
    kEventMouseLeave = 10011,  // "on_mouse_leave"
    kEventTabSelChanged = 11000,  // "on_tab_sel_changed": newSel, oldSel
    kEventTabItemHover = 11002,   // "on_tab_item_hover": index
    kEventTabItemLeave = 11003,   // "on_tab_item_leave": index
    kEventSelChanged = 16000,     // "on_sel_changed": combo box or list view; newSel, oldSel
    kEventSliderPos = 17000,      // "on_slider_pos": value
    kEventTextChanged = 18000,    // "on_text_changed": text (every change, as EN_CHANGE)
    kEventHeaderClick = 19000,    // "on_header_click": index (multi-column list header)
    kEventKeyEnter = 10000500,    // "on_key_enter": raised by the extended edit
};

struct Event {
    int id = 0;
    Window* sender = nullptr;  // null for menu items
    QString senderName;
    int senderId = 0;
    bool handled = false;
    int newSel = -1;
    int oldSel = -1;
    int value = 0;
    int index = -1;
    QString text;
};

// A subscriber returns true to mark the event handled.
using EventHandler = std::function<bool(Event&)>;

// The name of an event ID ("on_command"), or empty for an ID nobody declared.
QString eventName(int id);
// The ID of an event name; 0 when unknown.
int eventIdByName(const QString& name);
// Declares a further event (controls add their own, e.g. the extended edit's key enter).
void declareEvent(int id, const QString& name);

}  // namespace kg::ui
