#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// Every message box of the program goes through here, so a test can see what
// would be asked and give the answer.
namespace MsgBox {

struct Request {
    QWidget *parent = nullptr;
    QString text;
    QString caption;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

using Responder = std::function<QMessageBox::StandardButton(const Request &)>;

// Shows a modal box and returns the button pressed.
QMessageBox::StandardButton show(QWidget *parent, const QString &text, const QString &caption,
                                 QMessageBox::StandardButtons buttons,
                                 QMessageBox::Icon icon = QMessageBox::NoIcon);

// Shortcuts for the kinds the program uses, all captioned "提示".
bool askYesNo(QWidget *parent, const QString &text, QMessageBox::Icon icon);
void inform(QWidget *parent, const QString &text, QMessageBox::Icon icon = QMessageBox::NoIcon);

// The default error display: the error's text with a full stop added when it
// has none, captioned with the program's file name.
void showError(const QString &text);
QString errorText(const QString &text);

// Builds the real box without showing it (for a look at its settings).
QMessageBox *build(const Request &request);

// Replaces the real box (tests). An empty responder restores it.
void setResponder(Responder responder);

} // namespace MsgBox
