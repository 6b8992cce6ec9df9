#include "store/UDM.h"
#include "ui/QuillboxApplication.h"
#include "ui/UFrmain.h"

#include <memory>

int main(int argc, char *argv[]) {
    QuillboxApplication app(argc, argv);
    // No application name is set: the default error box is captioned with
    // the executable's file name.
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLBOX_VERSION));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/icons/quillbox.svg")));

    // The data module first: the main window's trees attach to its record
    // sets while the window is built.
    auto dm = std::make_unique<TDM>();
    auto frmain = std::make_unique<TFrmain>();
    Frmain = frmain.get();
    frmain->show();
    const int rc = QApplication::exec();

    // The window (with the dialogs it owns) goes before the data module.
    Frmain = nullptr;
    frmain.reset();
    dm.reset();
    return rc;
}
