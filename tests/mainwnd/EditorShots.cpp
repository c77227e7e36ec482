// Not a test: draws the pictures of the macro editor in docs/ (kg_editor_shots <out-dir>): each
// of its four pages, in English and in Chinese, opened from the real main window against the
// emulated keyboard.
#include <QApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

#include "controls/CoordButtonImage.h"
#include "macro/editor/MacroRecordDlg.h"
#include "settings/MacroStore.h"
#include "tests/support/StartupHarness.h"
#include "ui/TabCtrl.h"

namespace {

const char* const kPages[] = {"macro", "single", "media", "combo"};

bool shootLanguage(const QString& language, const QString& outDir) {
    kg::test::StartupHarness h(language);
    bool ok = true;
    h.run([&](kg::Startup&, CMainDlg& w) {
        // The store is process-wide: each language starts from the defaults.
        MacroStore& store = MacroStore::instance();
        const std::wstring storePath = store.path();
        store = MacroStore();
        store.load(storePath);
        MacroGroup copy{L"Copy text", {}};
        copy.addStep(0xA2, 0, 20, L"CtrlLeft");
        copy.addStep(0x43, 0, 15, L"C");
        copy.addStep(0x43, 1, 10, L"C");
        copy.addStep(0xA2, 1, 0, L"CtrlLeft");
        store.appendGroups({copy, MacroGroup{L"Greeting", {}}});
        store.config().group = 0;
        store.config().mode = 1;
        store.config().delay = 25;
        store.config().repeat = 2;
        store.config().skcode = 0x42;
        store.config().media = 2;
        store.config().function = 0;
        kg::ui::DialogHost::setModalRunner([&](kg::ui::DialogHost& host) {
            host.show();
            auto* tabs =
                host.findChildAs<kg::ui::TabCtrl>(QStringLiteral("tab_macro_mode_selection"));
            for (int page = 0; page < 4 && tabs; ++page) {
                tabs->setCurSel(page);
                QCoreApplication::processEvents();
                const QString path = QStringLiteral("%1/editor-%2-%3.png")
                                         .arg(outDir, QLatin1String(kPages[page]), language);
                if (!host.grab().save(path, "PNG")) {
                    std::fprintf(stderr, "could not save %s\n", qPrintable(path));
                    ok = false;
                }
            }
            return kg::ui::kIdCancel;
        });
        w.onCoordButtonClick(0x46, L"F", CoordButtonImage::kClick, 0, 0, 0);
        kg::ui::DialogHost::setModalRunner(nullptr);
        kg::test::StartupHarness::quit(0);
    });
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    if (runtime.isValid()) {
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kg_editor_shots <out-dir>\n");
        return 2;
    }
    // The start-up moves into the program folder; a relative folder means the one started in.
    const QString out = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const bool en = shootLanguage(QStringLiteral("en"), out);
    const bool cn = shootLanguage(QStringLiteral("cn"), out);
    return en && cn ? 0 : 1;
}
