#include "ui/NoticeWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>

namespace {

QSize expectedSize() {
    const qreal s = QGuiApplication::primaryScreen()->logicalDotsPerInch() / 96.0;
    return QSize(qRound(200 * s), qRound(100 * s));
}

// Notices must never overlap one another and never leave the work area.
bool overlapFreeInside(const QList<NoticeWindow *> &notices, const QRect &area) {
    for (int i = 0; i < notices.size(); ++i) {
        if (!area.contains(notices[i]->geometry()))
            return false;
        for (int j = i + 1; j < notices.size(); ++j)
            if (notices[i]->geometry().intersects(notices[j]->geometry()))
                return false;
    }
    return true;
}

} // namespace

class TestNoticeWindow : public QObject {
    Q_OBJECT

private slots:
    void showsSmallNoticeInCorner();
    void noticesStandSideBySide();
    void closedPlaceIsTakenAgain();
    void cornerFollowsTaskbar_data();
    void cornerFollowsTaskbar();
    void closesAfterLifetime();
    void rightClickClosesLeftClickDoesNot();
    void neverTakesFocus();
};

void TestNoticeWindow::showsSmallNoticeInCorner() {
    NoticeManager tips;
    NoticeWindow *n = tips.show(QStringLiteral("提示"), QStringLiteral("代码已复制到剪贴板"), 3);
    QVERIFY(n);
    QCOMPARE(n->caption(), QStringLiteral("提示"));
    QCOMPARE(n->text(), QStringLiteral("代码已复制到剪贴板"));
    QVERIFY(n->isVisible());
    QCOMPARE(tips.openNotices(), QList<NoticeWindow *>{n});

    // The offscreen screen reserves no strip, so the corner is bottom right.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect g = n->geometry();
    QCOMPARE(g.size(), expectedSize());
    QVERIFY2(area.contains(g), "notice leaves the work area");
    QVERIFY(area.right() - g.right() < 20);
    QVERIFY(area.bottom() - g.bottom() < 20);
}

void TestNoticeWindow::noticesStandSideBySide() {
    NoticeManager tips;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    NoticeWindow *first = tips.show(QStringLiteral("提示"), QStringLiteral("一"));
    NoticeWindow *second = tips.show(QStringLiteral("提示"), QStringLiteral("二"));
    NoticeWindow *third = tips.show(QStringLiteral("提示"), QStringLiteral("三"));
    QCOMPARE(tips.openNotices().size(), 3);
    QVERIFY(overlapFreeInside(tips.openNotices(), area));
    // One row, going away from the corner.
    QCOMPARE(second->y(), first->y());
    QCOMPARE(third->y(), first->y());
    QVERIFY(second->x() < first->x());
    QVERIFY(third->x() < second->x());

    // Once a row is full the next notice starts a row above the first.
    NoticeWindow *wrapped = nullptr;
    for (int i = 0; i < 50 && !wrapped; ++i) {
        NoticeWindow *n = tips.show(QStringLiteral("提示"), QString::number(i));
        if (n->y() != first->y())
            wrapped = n;
    }
    QVERIFY(wrapped);
    QCOMPARE(wrapped->x(), first->x());
    QVERIFY(wrapped->geometry().bottom() < first->y());
    QVERIFY(overlapFreeInside(tips.openNotices(), area));
}

void TestNoticeWindow::closedPlaceIsTakenAgain() {
    NoticeManager tips;
    NoticeWindow *first = tips.show(QStringLiteral("提示"), QStringLiteral("一"));
    NoticeWindow *second = tips.show(QStringLiteral("提示"), QStringLiteral("二"));
    NoticeWindow *third = tips.show(QStringLiteral("提示"), QStringLiteral("三"));
    const QRect firstPlace = first->geometry();
    const QRect secondPlace = second->geometry();
    const QRect thirdPlace = third->geometry();

    second->close();
    QCOMPARE(tips.openNotices(), (QList<NoticeWindow *>{first, third}));
    NoticeWindow *fourth = tips.show(QStringLiteral("提示"), QStringLiteral("四"));
    QCOMPARE(fourth->geometry(), secondPlace);
    QCOMPARE(first->geometry(), firstPlace);
    QCOMPARE(third->geometry(), thirdPlace);
}

void TestNoticeWindow::cornerFollowsTaskbar_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<Qt::Corner>("corner");
    const QRect full(0, 0, 1920, 1080);
    QTest::newRow("none") << full << full << Qt::BottomRightCorner;
    QTest::newRow("bottom") << full << QRect(0, 0, 1920, 1040) << Qt::BottomRightCorner;
    QTest::newRow("right") << full << QRect(0, 0, 1860, 1080) << Qt::BottomRightCorner;
    QTest::newRow("left") << full << QRect(60, 0, 1860, 1080) << Qt::BottomLeftCorner;
    QTest::newRow("top") << full << QRect(0, 40, 1920, 1040) << Qt::TopRightCorner;
    QTest::newRow("top bar and left dock")
        << full << QRect(70, 27, 1850, 1053) << Qt::BottomLeftCorner;
    QTest::newRow("top bar and bottom panel")
        << full << QRect(0, 27, 1920, 1005) << Qt::BottomRightCorner;
    // A second screen beside the first: only the difference counts.
    QTest::newRow("second screen, left")
        << QRect(1920, 0, 1280, 1024) << QRect(1968, 0, 1232, 1024) << Qt::BottomLeftCorner;
    QTest::newRow("second screen, none")
        << QRect(1920, 0, 1280, 1024) << QRect(1920, 0, 1280, 1024) << Qt::BottomRightCorner;
}

void TestNoticeWindow::cornerFollowsTaskbar() {
    QFETCH(QRect, screen);
    QFETCH(QRect, available);
    QFETCH(Qt::Corner, corner);
    QCOMPARE(NoticeManager::cornerFor(screen, available), corner);
}

void TestNoticeWindow::closesAfterLifetime() {
    NoticeManager tips;
    QCOMPARE(tips.lifetime(), 7000);
    tips.setLifetime(100);
    QPointer<NoticeWindow> n = tips.show(QStringLiteral("提示"), QStringLiteral("一"));
    QVERIFY(n && n->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(n.isNull(), 3000);
    QVERIFY(tips.openNotices().isEmpty());
}

void TestNoticeWindow::rightClickClosesLeftClickDoesNot() {
    NoticeManager tips;
    QPointer<NoticeWindow> n = tips.show(QStringLiteral("提示"), QStringLiteral("一"));
    QVERIFY(QTest::qWaitForWindowExposed(n));

    QTest::mouseClick(n, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::qWait(50);
    QVERIFY(n && n->isVisible());
    QCOMPARE(tips.openNotices().size(), 1);

    QTest::mouseClick(n, Qt::RightButton, {}, QPoint(20, 20));
    QVERIFY(n.isNull() || !n->isVisible());
    QVERIFY(tips.openNotices().isEmpty());
    QTRY_VERIFY(n.isNull());
}

void TestNoticeWindow::neverTakesFocus() {
    QWidget window;
    auto *edit = new QLineEdit(&window);
    new QVBoxLayout(&window);
    window.layout()->addWidget(edit);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), edit);

    NoticeManager tips;
    NoticeWindow *n = tips.show(QStringLiteral("提示"), QStringLiteral("代码已复制到剪贴板"));
    QVERIFY(QTest::qWaitForWindowExposed(n));
    QTest::mouseClick(n, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::qWait(50);
    QCOMPARE(QApplication::activeWindow(), &window);
    QCOMPARE(QApplication::focusWidget(), edit);
}

QTEST_MAIN(TestNoticeWindow)
#include "tst_noticewindow.moc"
