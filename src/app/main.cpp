#include "store/UDM.h"
#include "ui/QuillboxApplication.h"
#include "ui/UFrmain.h"

#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

// The version record the executable carries, readable with `strings`.
[[gnu::used]] static const char VersionRecord[] =
    "Quillbox file version " QUILLBOX_VERSION ", product version " QUILLBOX_VERSION;

int main(int argc, char *argv[]) {
    QuillboxApplication app(argc, argv);
    // No application name is set: the default error box is captioned with
    // the executable's file name.
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLBOX_VERSION));
    // The toolkit's own words (message-box buttons, edit menus) in Chinese,
    // like the rest of the program.
    QTranslator qtChinese;
    if (qtChinese.load(QStringLiteral("qtbase_zh_CN"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtChinese);
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/icons/quillbox.svg")));

    // The data module first: the main window's trees attach to its record
    // sets while the window is built.
    auto dm = std::make_unique<TDM>();
    auto frmain = std::make_unique<TFrmain>();
    Frmain = frmain.get();
    frmain->show();
    // A notice from the start-up stays in front of the window that follows it.
    for (NoticeWindow *notice : dm->Tip.openNotices())
        notice->raise();
    const int rc = QApplication::exec();

    // The window (with the dialogs it owns) goes before the data module.
    Frmain = nullptr;
    frmain.reset();
    dm.reset();
    return rc;
}
