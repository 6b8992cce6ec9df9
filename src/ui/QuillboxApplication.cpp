#include "QuillboxApplication.h"

#include "MsgBox.h"
#include "store/StoreError.h"

QuillboxApplication::QuillboxApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool QuillboxApplication::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showUnhandledError(e);
    } catch (...) {
        showUnhandledError();
    }
    return false;
}

void showUnhandledError(const std::exception &e) {
    if (auto *se = dynamic_cast<const StoreError *>(&e))
        MsgBox::showError(se->message());
    else
        MsgBox::showError(QString::fromLocal8Bit(e.what()));
}

void showUnhandledError() {
    MsgBox::showError(QStringLiteral("未知错误"));
}
