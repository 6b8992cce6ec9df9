#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

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
    QString m_caption;
    QString m_text;
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

private:
    QList<QPointer<NoticeWindow>> m_open;
    int m_lifetimeMs = 7000;
};
