// Pictures of the main window's keyboard for the documentation: one with a key under the
// mouse, one with assigned (checked) keys as well. Usage: kg_keyboard_shot <out-dir>.

#include <QTemporaryDir>
#include <cstdio>

#include "ControlsTestSupport.h"
#include "controls/CoordButtonImage.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <out-dir>\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QString why;
    if (!dir.isValid() || !kgtest::stageProgramResources(dir.path(), &why)) {
        std::fprintf(stderr, "%s\n", why.toUtf8().constData());
        return 1;
    }
    kg::ui::Toolkit toolkit;
    kg::registerControls(toolkit.factory());
    toolkit.factory().registerStandIn(QStringLiteral("shellnotifyicon"), QStringLiteral("window"));
    toolkit.resources().openFolder(dir.path());
    toolkit.loadUiDef(QStringLiteral("uidef:xml_init"));
    kg::ui::HostWnd host(QStringLiteral("LAYOUT:XML_MAINWND"));
    host.setTimelineTimerEnabled(false);
    host.create();
    auto* img = host.findChildAs<CoordButtonImage>(QStringLiteral("img_keyboard"));
    if (!img || img->keys().empty()) {
        std::fprintf(stderr, "no keyboard image with keys in the main window\n");
        return 1;
    }
    host.show();
    const QRect stage(30, 66, 1040, 350);
    CoordButton key;
    img->findKey('G', key);
    kgtest::moveTo(img, QPoint((key.left + key.right) / 2, (key.top + key.bottom) / 2));
    const QString out = QString::fromLocal8Bit(argv[1]);
    bool ok = host.grab(stage).save(out + QStringLiteral("/keyboard-hover.png"));
    for (int id : {0x1B, int('W'), int('A'), int('S'), int('D'), 0x10D, 0x125}) {
        img->setKeyChecked(id, 1);
        img->setKeyTip(id, L"assigned");
    }
    img->findKey('H', key);
    kgtest::moveTo(img, QPoint((key.left + key.right) / 2, (key.top + key.bottom) / 2));
    ok = host.grab(stage).save(out + QStringLiteral("/keyboard-checked.png")) && ok;
    return ok ? 0 : 1;
}
