#pragma once

#include <functional>

#include "ui/HostWnd.h"

class QEventLoop;

namespace kg::ui {

enum DialogResult : int { kIdOk = 1, kIdCancel = 2 };

// A modal dialog built from a layout: doModal creates it, sends it the initialisation
// message, shows it over its owner and returns the value given to endDialog. When it closes,
// the owner gets the focus back (without a window manager nobody else gives it back).
class DialogHost : public HostWnd {
    Q_OBJECT
public:
    explicit DialogHost(QString layoutResource, QWidget* parent = nullptr);
    ~DialogHost() override;

    int doModal(QWidget* owner = nullptr);
    void endDialog(int result);
    bool isModalRunning() const { return m_loop != nullptr; }

    // Test seam: while set, doModal creates and initialises the dialog, then calls the runner
    // instead of a modal loop; the runner drives the dialog (clicks, endDialog) and doModal
    // returns the result given to endDialog (or the runner's value when none was given).
    using ModalRunner = std::function<int(DialogHost&)>;
    static void setModalRunner(ModalRunner runner);

protected:
    void onCloseMessage() override { endDialog(kIdCancel); }
    // Escape closes the dialog as its close button does (Cancel).
    void keyPressEvent(QKeyEvent* e) override;

private:
    QEventLoop* m_loop = nullptr;
    int m_result = 0;
    bool m_ended = false;
};

}  // namespace kg::ui
