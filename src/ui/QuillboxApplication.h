#pragma once

#include <QApplication>

// The application object. An error that escapes an event handler is shown in
// the default error box and the program goes on.
class QuillboxApplication : public QApplication {
    Q_OBJECT
public:
    QuillboxApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Runs a handler and shows whatever error escapes it in the default error
// box. Signal connections to handlers go through this, so an error never
// unwinds through the toolkit's own code.
template <typename F> void guarded(F &&f);
void showUnhandledError(const std::exception &e);
void showUnhandledError();

template <typename F> void guarded(F &&f) {
    try {
        f();
    } catch (const std::exception &e) {
        showUnhandledError(e);
    } catch (...) {
        showUnhandledError();
    }
}
