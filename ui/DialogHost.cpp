#include "ui/DialogHost.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>

#include "ui/ScreenFit.h"

namespace kg::ui {

namespace {
DialogHost::ModalRunner& runner() {
    static DialogHost::ModalRunner r;
    return r;
}
}  // namespace

void DialogHost::setModalRunner(ModalRunner r) {
    runner() = std::move(r);
}

DialogHost::DialogHost(QString layoutResource, QWidget* parent)
    : HostWnd(std::move(layoutResource), parent) {
    setWindowFlag(Qt::Dialog, true);
}

DialogHost::~DialogHost() {
    if (m_loop) {
        m_loop->quit();
    }
}

int DialogHost::doModal(QWidget* owner) {
    if (owner && owner != this) {
        setParent(owner, windowFlags() | Qt::Dialog);
    }
    create();
    m_ended = false;
    m_result = 0;
    sendMessage(kMsgInitDialog);
    if (m_ended) {
        return m_result;
    }
    if (owner) {
        ScreenFit::openOver(*this, *owner);
    } else {
        centerOnScreen();
    }
    if (runner()) {
        const int r = runner()(*this);
        return m_ended ? m_result : r;
    }
    setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    m_loop = &loop;
    QPointer<DialogHost> self(this);
    loop.exec(QEventLoop::DialogExec);
    if (!self) {
        return kIdCancel;
    }
    m_loop = nullptr;
    hide();
    if (owner) {
        owner->window()->activateWindow();
    }
    return m_result;
}

void DialogHost::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        sendMessage(kMsgClose);
        return;
    }
    HostWnd::keyPressEvent(e);
}

void DialogHost::endDialog(int result) {
    m_result = result;
    m_ended = true;
    if (m_loop) {
        m_loop->quit();
    }
}

}  // namespace kg::ui
