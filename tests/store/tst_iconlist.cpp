#include "store/IconList.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QtTest>

namespace {
// The 16 px rendering is what trees and toolbars show; a picture that is
// missing or fails to parse gives a null icon or an empty image.
QImage render16(const QIcon &icon) {
    return icon.pixmap(16, 16).toImage();
}

bool hasInk(const QImage &image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}
} // namespace

class TestIconList : public QObject {
    Q_OBJECT
private slots:
    void numberedPictures_data();
    void numberedPictures();
    void outOfRange_data();
    void outOfRange();
    void namedPictures_data();
    void namedPictures();
};

void TestIconList::numberedPictures_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("count");
    QTest::newRow("img16") << QStringLiteral("img16") << 16;
    QTest::newRow("img24") << QStringLiteral("img24") << 14;
}

void TestIconList::numberedPictures() {
    QFETCH(QString, prefix);
    QFETCH(int, count);
    const IconList list(prefix, count);
    QCOMPARE(list.count(), count);
    QList<QImage> seen;
    for (int i = 0; i < count; ++i) {
        const QString where = QStringLiteral("%1 #%2").arg(prefix).arg(i);
        const QIcon icon = list.icon(i);
        QVERIFY2(!icon.isNull(), qPrintable(where));
        const QImage image = render16(icon);
        QVERIFY2(hasInk(image), qPrintable(where));
        // A copied file left unedited would put one picture at two numbers.
        QVERIFY2(!seen.contains(image), qPrintable(where + QStringLiteral(" repeats a picture")));
        seen << image;
    }
}

void TestIconList::outOfRange_data() {
    QTest::addColumn<int>("index");
    QTest::newRow("negative") << -1;
    QTest::newRow("count") << 16;
    QTest::newRow("far") << 1000;
}

void TestIconList::outOfRange() {
    QFETCH(int, index);
    const IconList list(QStringLiteral("img16"), 16);
    QVERIFY(list.icon(index).isNull());
    // A list that names no pictures has none, whatever its prefix.
    QVERIFY(IconList(QStringLiteral("img16"), 0).icon(0).isNull());
}

void TestIconList::namedPictures_data() {
    QTest::addColumn<QString>("name");
    for (const char *name : {"grp_title", "grp_search", "grp_notes", "lbl_date", "lbl_read",
                             "st_info", "st_home", "st_hint", "st_contact", "dlg_category",
                             "dlg_title", "dlg_notes", "dlg_code", "folder_up", "quillbox"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestIconList::namedPictures() {
    QFETCH(QString, name);
    const QIcon icon(QStringLiteral(":/resources/icons/%1.svg").arg(name));
    QVERIFY(!icon.isNull());
    QVERIFY(hasInk(render16(icon)));
}

QTEST_MAIN(TestIconList)
#include "tst_iconlist.moc"
