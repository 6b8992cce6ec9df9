#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

class QScreen;
class QWindow;

// A small pop-up that tells the user something and needs no answer: a bold
// caption above one text, no picture, no buttons. It never takes the focus,
// closes itself after a while and at once on a right click.
class NoticeWindow : public QWidget {
    Q_OBJECT
public:
    NoticeWindow(const QString &caption, const QString &text, int lifetimeMs);
    QString caption() const;
    QString text() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    qreal scale() const;
    void focusWindowChanged(QWindow *window);

    QString m_caption;
    QString m_text;
    QPointer<QWindow> m_lastFocus; // where the focus goes back to
};

// Shows notices in the corner of the work area of the screen that holds the
// main window (the primary screen while there is none). Several notices stand
// side by side instead of replacing one another.
class NoticeManager : public QObject {
    Q_OBJECT
public:
    explicit NoticeManager(QObject *parent = nullptr);
    ~NoticeManager() override;

    // `imageIndex` is accepted for the callers' sake; notices show no picture.
    NoticeWindow *show(const QString &caption, const QString &text, int imageIndex = -1);

    QList<NoticeWindow *> openNotices() const;
    void setLifetime(int ms) { m_lifetimeMs = ms; }
    int lifetime() const { return m_lifetimeMs; }

    // The corner of the work area that lies next to the taskbar, judged from
    // the strip the work area leaves out of the whole screen.
    static Qt::Corner cornerFor(const QRect &screen, const QRect &available);

private:
    static QScreen *targetScreen();
    QRect freePlace(QScreen *screen, const QSize &size) const;

    QList<QPointer<NoticeWindow>> m_open;
    int m_lifetimeMs = 7000;
};
