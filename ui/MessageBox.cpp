#include "ui/MessageBox.h"

#include <QKeyEvent>
#include <QMessageBox>

#include "ui/DialogHost.h"
#include "ui/Toolkit.h"
#include "ui/UiLog.h"

namespace kg::ui {

namespace {
std::function<int(const MessageBoxRequest&)>& answerer() {
    static std::function<int(const MessageBoxRequest&)> a;
    return a;
}

class MessageBoxDlg : public DialogHost {
public:
    MessageBoxDlg(QString text, QString caption, unsigned type)
        : DialogHost(QStringLiteral("LAYOUT:SYS_XML_MSGBOX")),
          m_text(std::move(text)),
          m_caption(std::move(caption)),
          m_type(type) {}

protected:
    void onInitDialog() override {
        if (Window* t = findChildByName(QStringLiteral("msgtitle")))
            t->setText(m_caption);
        if (Window* t = findChildByName(QStringLiteral("msgtext")))
            t->setText(m_text);
        setWindowTitle(Toolkit::instance() ? Toolkit::instance()->tr(m_caption) : m_caption);
        Window* first = findChildByName(QStringLiteral("button1st"));
        Window* second = findChildByName(QStringLiteral("button2nd"));
        Window* third = findChildByName(QStringLiteral("button3rd"));
        if (Window* sw = findChildByName(QStringLiteral("btnSwitch")))
            sw->hide();
        if (third)
            third->hide();
        if (buttons() == kMbOkCancel) {
            if (first)
                first->setText(QStringLiteral("OK"));
            if (second) {
                second->setText(QStringLiteral("Cancel"));
                second->show();
            }
        } else {
            // A single button sits where the last one would.
            if (first && second)
                first->setGeometry(second->geometry());
            if (first)
                first->setText(QStringLiteral("OK"));
            if (second)
                second->hide();
        }
        // The default button has the focus from the start, so Enter and Space choose it and
        // its focus mark shows which one it is.
        Window* def = buttons() == kMbOkCancel && (m_type & kMbDefButton2) ? second : first;
        if (def) {
            def->markFocusOnActivation();
            def->setFocus(Qt::TabFocusReason);
        }
    }
    void keyPressEvent(QKeyEvent* e) override {
        // Keys the focused button did not take.
        switch (e->key()) {
            case Qt::Key_Escape:
                endDialog(buttons() == kMbOkCancel ? kIdCancel : kIdOk);
                e->accept();
                return;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                endDialog(buttons() == kMbOkCancel && (m_type & kMbDefButton2) ? kIdCancel : kIdOk);
                e->accept();
                return;
            default:
                DialogHost::keyPressEvent(e);
        }
    }
    bool onEvent(Event& e) override {
        if (e.id != kEventCommand)
            return false;
        if (e.senderName == QLatin1String("button1st")) {
            endDialog(kIdOk);
            return true;
        }
        if (e.senderName == QLatin1String("button2nd") ||
            e.senderName == QLatin1String("btn_close")) {
            endDialog(kIdCancel);
            return true;
        }
        return false;
    }

private:
    unsigned buttons() const { return m_type & 0xF; }

    QString m_text;
    QString m_caption;
    unsigned m_type;
};
}  // namespace

void setMessageBoxAnswerer(std::function<int(const MessageBoxRequest&)> a) {
    answerer() = std::move(a);
}

int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned type) {
    MessageBoxDlg dlg(text, caption, type);
    const bool built = dlg.create() && dlg.findChildByName(QStringLiteral("button1st"));
    if (answerer()) {
        dlg.sendMessage(kMsgInitDialog);
        MessageBoxRequest req{text, caption, type, built ? &dlg : nullptr};
        return answerer()(req);
    }
    if (!built) {
        qCWarning(lcUi)
            << "message box template LAYOUT:SYS_XML_MSGBOX is unusable; using a plain box";
        Toolkit* tk = Toolkit::instance();
        const QString t = tk ? tk->tr(text) : text;
        const QString c = tk ? tk->tr(caption) : caption;
        const bool okCancel = (type & 0xF) == kMbOkCancel;
        const auto buttons = okCancel ? (QMessageBox::Ok | QMessageBox::Cancel) : QMessageBox::Ok;
        const auto def = okCancel && (type & kMbDefButton2) ? QMessageBox::Cancel : QMessageBox::Ok;
        return QMessageBox::warning(owner, c, t, buttons, def) == QMessageBox::Ok ? kIdOk
                                                                                  : kIdCancel;
    }
    const int r = dlg.doModal(owner);
    return r == kIdOk ? kIdOk : kIdCancel;
}

}  // namespace kg::ui
