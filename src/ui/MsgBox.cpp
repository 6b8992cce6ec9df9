#include "MsgBox.h"

#include <QApplication>
#include <QWidget>
#include <memory>

namespace MsgBox {
namespace {
Responder &responder() {
    static Responder r;
    return r;
}
} // namespace

QMessageBox *build(const Request &request) {
    auto *box = new QMessageBox(request.icon, request.caption, request.text, request.buttons,
                                request.parent);
    // No default or escape button is named: the platform picks as it would
    // for the system's own box.
    return box;
}

QMessageBox::StandardButton show(QWidget *parent, const QString &text, const QString &caption,
                                 QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) {
    const Request request{parent, text, caption, buttons, icon};
    if (responder())
        return responder()(request);
    std::unique_ptr<QMessageBox> box(build(request));
    return QMessageBox::StandardButton(box->exec());
}

bool askYesNo(QWidget *parent, const QString &text, QMessageBox::Icon icon) {
    return show(parent, text, QStringLiteral("提示"), QMessageBox::Yes | QMessageBox::No, icon) ==
           QMessageBox::Yes;
}

void inform(QWidget *parent, const QString &text, QMessageBox::Icon icon) {
    show(parent, text, QStringLiteral("提示"), QMessageBox::Ok, icon);
}

QString errorText(const QString &text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.endsWith(u'.') || t.endsWith(u'。'))
        return t;
    return t + u'.';
}

void showError(const QString &text) {
    // No application name is ever set, so this is the executable's name.
    show(QApplication::activeWindow(), errorText(text), QCoreApplication::applicationName(),
         QMessageBox::Ok, QMessageBox::Critical);
}

void setResponder(Responder r) {
    responder() = std::move(r);
}

} // namespace MsgBox
