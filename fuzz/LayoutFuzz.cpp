// A window layout edited by hand or damaged: the toolkit builds what it can from it (the
// program's strings, colours, skins and pictures at hand, as at start-up), every control shows
// its texts again in the other language and the window is drawn. Nothing of it may crash.
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>

#include "app/NamedIdTable.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/UiFuzz.h"
#include "ui/HostWnd.h"
#include "ui/Toolkit.h"

namespace {

kg::ui::Toolkit* g_toolkit = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kgfuzz::startUi();
    g_toolkit = new kg::ui::Toolkit();
    g_toolkit->namedIds().registerTable(kNamedIds, kNamedIdCount, true);
    // The program folder's resources of this build tree: layouts refer to its skins by name.
    g_toolkit->resources().openFolder(QStringLiteral(KEYGLOW_FUZZ_UIRES));
    g_toolkit->loadUiDef(QStringLiteral("uidef:xml_init"));
    g_toolkit->installLanguage(QStringLiteral("translator:lang_en"));
    g_toolkit->installLanguage(QStringLiteral("translator:lang_cn"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        kg::ui::HostWnd window(QStringLiteral("LAYOUT:FUZZ"));
        window.createFromBuffer(kgfuzz::bytesOf(data, size), QStringLiteral("fuzz-layout.xml"));
        KG_FUZZ_CHECK(window.isCreated() && window.root() != nullptr);
        g_toolkit->translator().setCurrentLanguage(QStringLiteral("en"));
        window.sendMessage(kg::ui::kMsgLanguageChanged);
        // Drawn into a small picture: whatever sizes the layout asks for, only this much is
        // painted.
        QImage picture(96, 64, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        window.render(&painter);
        painter.end();
        g_toolkit->translator().setCurrentLanguage(QStringLiteral("cn"));
        window.sendMessage(kg::ui::kMsgLanguageChanged);
        window.destroyWindow();
    }
    kgfuzz::settleUi();
    return 0;
}
