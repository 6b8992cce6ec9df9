#include "TestNotebook.h"
#include "store/NoteColumns.h"
#include "store/NoteTable.h"
#include "store/StoreError.h"
#include "store/UDM.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {
QStringList titles(const NoteCursor &c) {
    QStringList out;
    for (NoteRow *row : c.visibleRows())
        out << c.value(row, NoteColumns::Title).toString();
    return out;
}

// Closes the notices a start-up left behind, so tests do not see each other's.
void closeNotices() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<NoticeWindow *>(w))
            w->close();
}
} // namespace

class TestDataModule : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { closeNotices(); }
    void openFailures_data();
    void openFailures();
    void opensWholeTable();
    void readsOddTables();
    void pathWithUriCharacters();
    void viewsFollowWrites();
    void newRowServesAsParentAtOnce();
    void filterRefusesUnknownText();
    void refusedWriteLeavesTableAndMemoryAlike();
    void postWritesOnlyColumnsSet();
    void lockedDatabaseLeavesTableAndMemoryAlike();
};

void TestDataModule::openFailures_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("mainOpen");
    QTest::newRow("no mdb folder") << "no-folder" << false;
    QTest::newRow("no file") << "no-file" << false;
    QTest::newRow("not a database") << "garbage" << false;
    QTest::newRow("no table") << "no-table" << false;
    QTest::newRow("table without shuqian") << "no-shuqian" << true;
}

void TestDataModule::openFailures() {
    QFETCH(QString, damage);
    QFETCH(bool, mainOpen);
    auto nb = std::make_unique<TestNotebook>();
    const QString path = nb->path();
    const qint64 folder = nb->addFolder(QStringLiteral("F"));
    nb->addArticle(QStringLiteral("A"), folder, QStringLiteral("code"));
    if (damage == "no-shuqian")
        nb->exec(QStringLiteral("ALTER TABLE delphi DROP COLUMN shuqian"));
    if (damage == "no-table")
        nb->exec(QStringLiteral("DROP TABLE delphi"));
    const QString folderPath = nb->folder();
    if (damage == "no-folder")
        QVERIFY(QDir(folderPath + "/mdb").removeRecursively());
    if (damage == "no-file")
        QVERIFY(QFile::remove(path));
    if (damage == "garbage") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(4096, 'x'));
    }

    TDM dm(nullptr, path);
    const auto notices = dm.Tip.openNotices();
    QCOMPARE(notices.size(), 1);
    QCOMPARE(notices.first()->caption(), QStringLiteral("提示"));
    QCOMPARE(notices.first()->text(), QStringLiteral("连接数据库失败或者数据库文件丢失"));
    QCOMPARE(dm.FDQuery1.isOpen(), mainOpen);
    QCOMPARE(dm.FDMemReg.isOpen(), mainOpen);
    QCOMPARE(dm.FDMemFenLei.isOpen(), mainOpen);
    QCOMPARE(dm.FDMemReg.recordCount(), mainOpen ? 2 : 0);
    QCOMPARE(dm.FDMemFenLei.recordCount(), mainOpen ? 1 : 0);
    QVERIFY(!dm.FDshuqian.isOpen());
    QCOMPARE(dm.FDshuqian.recordCount(), 0);
    if (damage == "no-file" || damage == "no-folder")
        QVERIFY2(!QFile::exists(path), "a missing notebook must never be created");
}

void TestDataModule::opensWholeTable() {
    TestNotebook nb;
    {
        TDM empty(nullptr, nb.path());
        QVERIFY(empty.Tip.openNotices().isEmpty());
        QVERIFY(empty.FDQuery1.isOpen());
        QCOMPARE(empty.FDMemReg.recordCount(), 0);
        QCOMPARE(empty.FDshuqian.recordCount(), 0);
    }
    const qint64 f = nb.addFolder(QStringLiteral("Folder"));
    const QString longCode =
        QString(QStringLiteral("begin\n  Writeln('x');\nend;\n")).repeated(500);
    const qint64 a = nb.addArticle(QStringLiteral("Art"), f, longCode, QString(), QString(),
                                   QStringLiteral("2023/07/09"), 4, 1);
    nb.addArticle(QStringLiteral("Other"), f, QString(), QStringLiteral("ex"));

    TDM dm(nullptr, nb.path());
    QVERIFY(dm.Tip.openNotices().isEmpty());
    QCOMPARE(DM, &dm);
    QCOMPARE(titles(dm.FDMemReg), (QStringList{"Folder", "Art", "Other"}));
    QCOMPARE(titles(dm.FDMemFenLei), QStringList{"Folder"});
    QCOMPARE(titles(dm.FDshuqian), QStringList{"Art"});
    QVERIFY(dm.FDMemReg.locate(QStringLiteral("nodeid"), QString::number(a)));
    QCOMPARE(dm.FDMemReg.fieldText(QStringLiteral("INFO")), longCode);
    QCOMPARE(dm.FDMemReg.fieldText(QStringLiteral("demoinfo")), QString());
    QCOMPARE(dm.FDMemReg.fieldInt(QStringLiteral("read")), 4);
    QCOMPARE(dm.FDMemReg.fieldDate(QStringLiteral("CreateTime")), QDate(2023, 7, 9));
    QCOMPARE(dm.FDMemReg.fieldText(QStringLiteral("type")), QStringLiteral("1"));
    QCOMPARE(dm.FDshuqian.fieldText(QStringLiteral("info")), longCode);
    // Locate takes the whole decimal text only.
    QVERIFY(
        !dm.FDQuery1.locate(QStringLiteral("NodeId"), QStringLiteral("0") + QString::number(a)));
    QVERIFY(!dm.FDQuery1.locate(QStringLiteral("NodeId"), QString()));
}

// Extra columns are kept, a missing Turn is fine, and names match in any case.
void TestDataModule::readsOddTables() {
    TestNotebook nb;
    nb.exec(QStringLiteral("DROP TABLE delphi"));
    nb.exec(QStringLiteral("CREATE TABLE delphi (nodeid INTEGER PRIMARY KEY AUTOINCREMENT, "
                           "PARENTID INTEGER, title TEXT, Type INTEGER, Info TEXT, DemoInfo TEXT, "
                           "richinfo TEXT, createtime TEXT, read INTEGER DEFAULT 0, "
                           "Shuqian INTEGER DEFAULT 0, Colour TEXT)"));
    nb.exec(QStringLiteral("INSERT INTO delphi (PARENTID, title, Type, Info, DemoInfo, richinfo, "
                           "createtime, Colour) VALUES (0, 'T', 1, 'c', '', NULL, '2020.1.2', "
                           "'red')"));
    TDM dm(nullptr, nb.path());
    QVERIFY(dm.Tip.openNotices().isEmpty());
    QCOMPARE(dm.FDMemReg.recordCount(), 1);
    QCOMPARE(dm.FDMemReg.fieldText(QStringLiteral("colour")), QStringLiteral("red"));
    QCOMPARE(dm.FDMemReg.fieldText(QStringLiteral("Richinfo")), QString());
    QCOMPARE(dm.FDMemReg.fieldDate(QStringLiteral("CreateTime")), QDate(2020, 1, 2));
    dm.FDQuery1.append();
    dm.FDQuery1.setField(QStringLiteral("Title"), QStringLiteral("N"));
    dm.FDQuery1.setField(QStringLiteral("ParentId"), QStringLiteral("0"));
    dm.FDQuery1.setField(QStringLiteral("type"), 0);
    dm.FDQuery1.post();
    QCOMPARE(dm.FDMemReg.recordCount(), 2);
    QCOMPARE(dm.FDQuery1.fieldText(QStringLiteral("read")), QStringLiteral("0"));
}

void TestDataModule::pathWithUriCharacters() {
    TestNotebook nb;
    nb.addFolder(QStringLiteral("F"));
    const QString odd = nb.folder() + QStringLiteral("/a?b#c%20 d");
    QVERIFY(QDir().mkpath(odd + "/mdb"));
    QVERIFY(QFile::copy(nb.path(), odd + "/mdb/code.mdb"));
    TDM dm(nullptr, odd + "/mdb/code.mdb");
    QVERIFY(dm.Tip.openNotices().isEmpty());
    QCOMPARE(dm.FDMemReg.recordCount(), 1);
}

void TestDataModule::viewsFollowWrites() {
    TestNotebook nb;
    const qint64 f = nb.addFolder(QStringLiteral("F"));
    const qint64 a = nb.addArticle(QStringLiteral("A"), f);
    TDM dm(nullptr, nb.path());
    QSignalSpy inserted(&dm.FDMemReg, &NoteCursor::rowInserted);
    QSignalSpy changed(&dm.FDMemReg, &NoteCursor::rowChanged);
    QSignalSpy removed(&dm.FDMemReg, &NoteCursor::rowRemoved);
    QSignalSpy resets(&dm.FDMemReg, &NoteCursor::resetDone);

    // An article appears in the folder tree's view but not in the folder list.
    dm.FDQuery1.append();
    dm.FDQuery1.setField(QStringLiteral("title"), QStringLiteral("B"));
    dm.FDQuery1.setField(QStringLiteral("ParentId"), QString::number(f));
    dm.FDQuery1.setField(QStringLiteral("type"), 1);
    dm.FDQuery1.post();
    QCOMPARE(titles(dm.FDMemReg), (QStringList{"F", "A", "B"}));
    QCOMPARE(titles(dm.FDMemFenLei), QStringList{"F"});
    QCOMPARE(inserted.size(), 1);

    // Turning an article into a folder brings it into the folder list; back out again.
    QVERIFY(dm.FDQuery1.locate(QStringLiteral("nodeid"), QString::number(a)));
    dm.FDQuery1.edit();
    dm.FDQuery1.setField(QStringLiteral("type"), 0);
    dm.FDQuery1.setField(QStringLiteral("Title"), QStringLiteral("A2"));
    dm.FDQuery1.post();
    QCOMPARE(titles(dm.FDMemFenLei), (QStringList{"F", "A2"}));
    QCOMPARE(titles(dm.FDMemReg), (QStringList{"F", "A2", "B"}));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(nb.value(a, "Title").toString(), QStringLiteral("A2"));

    dm.FDQuery1.edit();
    dm.FDQuery1.setField(QStringLiteral("type"), 1);
    dm.FDQuery1.post();
    QCOMPARE(titles(dm.FDMemFenLei), QStringList{"F"});

    // Deleting through the main record set reaches both views; the cursor moves on.
    QVERIFY(dm.FDMemReg.locate(QStringLiteral("NodeId"), QString::number(a)));
    dm.FDQuery1.deleteRow();
    QCOMPARE(titles(dm.FDMemReg), (QStringList{"F", "B"}));
    QCOMPARE(dm.FDMemReg.fieldText(QStringLiteral("Title")), QStringLiteral("B"));
    QCOMPARE(removed.size(), 1);
    QVERIFY(nb.row(a).isEmpty());
    QCOMPARE(resets.size(), 0); // nothing re-read or rebuilt for single writes

    // The folder list keeps its filter; the folder tree's filter is its own.
    dm.FDMemReg.setFilter(QStringLiteral("title like '%b%'"));
    dm.FDMemReg.setFiltered(true);
    QCOMPARE(titles(dm.FDMemReg), QStringList{"B"});
    QCOMPARE(titles(dm.FDMemFenLei), QStringList{"F"});
    QCOMPARE(dm.FDQuery1.recordCount(), 2);
}

void TestDataModule::newRowServesAsParentAtOnce() {
    TestNotebook nb;
    TDM dm(nullptr, nb.path());
    dm.FDQuery1.append();
    dm.FDQuery1.setField(QStringLiteral("title"), QStringLiteral("Top"));
    dm.FDQuery1.setField(QStringLiteral("ParentId"), QStringLiteral("0"));
    dm.FDQuery1.setField(QStringLiteral("type"), 0);
    dm.FDQuery1.post();
    const QString id = dm.FDQuery1.fieldText(QStringLiteral("NodeId"));
    QVERIFY(id.toLongLong() > 0);
    QVERIFY(dm.FDMemReg.locate(QStringLiteral("NodeId"), id));
    QVERIFY(dm.FDMemFenLei.locate(QStringLiteral("nodeid"), id));
    QCOMPARE(dm.FDQuery1.fieldInt(QStringLiteral("shuqian")), 0); // the table's default

    dm.FDQuery1.append();
    dm.FDQuery1.setField(QStringLiteral("title"), QStringLiteral("Child"));
    dm.FDQuery1.setField(QStringLiteral("ParentId"), id);
    dm.FDQuery1.setField(QStringLiteral("type"), 1);
    dm.FDQuery1.post();
    const qint64 child = dm.FDQuery1.fieldInt(QStringLiteral("nodeid"));
    QCOMPARE(nb.value(child, "ParentId").toString(), id);

    // Keys are never reused, also after a delete.
    dm.FDQuery1.deleteRow();
    dm.FDQuery1.append();
    dm.FDQuery1.setField(QStringLiteral("title"), QStringLiteral("Next"));
    dm.FDQuery1.post();
    QVERIFY(dm.FDQuery1.fieldInt(QStringLiteral("nodeid")) > child);
}

void TestDataModule::filterRefusesUnknownText() {
    TestNotebook nb;
    TDM dm(nullptr, nb.path());
    for (const char *bad : {"title = 'a' or 1=1", "title like abc", "drop table delphi",
                            "title like '%a%' and type=0", "nosuchcolumn=1"}) {
        QVERIFY_THROWS_EXCEPTION(StoreError, dm.FDMemReg.setFilter(QString::fromUtf8(bad));
                                 dm.FDMemReg.setFiltered(true));
        dm.FDMemReg.setFiltered(false);
        dm.FDMemReg.setFilter(QString());
    }
}

void TestDataModule::refusedWriteLeavesTableAndMemoryAlike() {
    TestNotebook nb;
    const qint64 a = nb.addArticle(QStringLiteral("A"), 0, QStringLiteral("code"));
    TDM dm(nullptr, nb.path());
    nb.refuseWrites();

    QVERIFY(dm.FDQuery1.locate(QStringLiteral("NodeId"), QString::number(a)));
    dm.FDQuery1.edit();
    dm.FDQuery1.setField(QStringLiteral("Title"), QStringLiteral("changed"));
    dm.FDQuery1.setField(QStringLiteral("info"), QStringLiteral("new code"));
    QVERIFY_THROWS_EXCEPTION(StoreError, dm.FDQuery1.post());
    QCOMPARE(dm.FDQuery1.state(), NoteQuery::State::Browse);
    QCOMPARE(dm.FDQuery1.fieldText(QStringLiteral("Title")), QStringLiteral("A"));
    QCOMPARE(dm.FDMemReg.fieldText(QStringLiteral("info")), QStringLiteral("code"));

    dm.FDQuery1.append();
    dm.FDQuery1.setField(QStringLiteral("Title"), QStringLiteral("new"));
    QVERIFY_THROWS_EXCEPTION(StoreError, dm.FDQuery1.post());
    QVERIFY_THROWS_EXCEPTION(StoreError, dm.FDQuery1.deleteRow());
    QCOMPARE(dm.FDMemReg.recordCount(), 1);
    QCOMPARE(nb.rowCount(), 1);
    QCOMPARE(nb.value(a, "Title").toString(), QStringLiteral("A"));

    // Usable at once when the database takes writes again.
    nb.exec(QStringLiteral("DROP TRIGGER refuse_UPDATE"));
    dm.FDQuery1.edit();
    dm.FDQuery1.setField(QStringLiteral("Title"), QStringLiteral("B"));
    dm.FDQuery1.post();
    QCOMPARE(nb.value(a, "Title").toString(), QStringLiteral("B"));
}

// A post stores what was set, also a value equal to the one held, and no other column.
void TestDataModule::postWritesOnlyColumnsSet() {
    TestNotebook nb;
    const qint64 a = nb.addArticle(QStringLiteral("A"), 0, QStringLiteral("code"), {}, {},
                                   QStringLiteral("2020-01-01"), 3, 1);
    TDM dm(nullptr, nb.path());
    // Another program changes the title behind our back; our post of Read must not undo it.
    nb.exec(QStringLiteral("UPDATE delphi SET Title='outside', shuqian=0"));
    QVERIFY(dm.FDQuery1.locate(QStringLiteral("nodeid"), QString::number(a)));
    dm.FDQuery1.edit();
    dm.FDQuery1.setField(QStringLiteral("Read"), 4);
    dm.FDQuery1.setField(QStringLiteral("shuqian"), QStringLiteral("1"));
    dm.FDQuery1.post();
    QCOMPARE(nb.value(a, "Title").toString(), QStringLiteral("outside"));
    QCOMPARE(nb.value(a, "Read").toInt(), 4);
    QCOMPARE(nb.value(a, "shuqian").toInt(), 1);
    QCOMPARE(nb.value(a, "info").toString(), QStringLiteral("code"));
}

// Another program holding the file locked: the post gives up after a short
// wait, says so, and the row is as the table holds it.
void TestDataModule::lockedDatabaseLeavesTableAndMemoryAlike() {
    TestNotebook nb;
    const qint64 a = nb.addArticle(QStringLiteral("A"), 0, QStringLiteral("code"));
    TDM dm(nullptr, nb.path());
    nb.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    QVERIFY(dm.FDQuery1.locate(QStringLiteral("NodeId"), QString::number(a)));
    dm.FDQuery1.edit();
    dm.FDQuery1.setField(QStringLiteral("Title"), QStringLiteral("changed"));
    try {
        dm.FDQuery1.post();
        QFAIL("a post into a locked file must fail");
    } catch (const StoreError &e) {
        QCOMPARE(e.message(), QStringLiteral("保存失败：数据库正被其他程序占用，请稍后再试"));
    }
    nb.exec(QStringLiteral("COMMIT"));
    QCOMPARE(dm.FDMemReg.fieldText(QStringLiteral("Title")), QStringLiteral("A"));
    QCOMPARE(nb.value(a, "Title").toString(), QStringLiteral("A"));
    dm.FDQuery1.edit();
    dm.FDQuery1.setField(QStringLiteral("Title"), QStringLiteral("B"));
    dm.FDQuery1.post();
    QCOMPARE(nb.value(a, "Title").toString(), QStringLiteral("B"));
}

QTEST_MAIN(TestDataModule)
#include "tst_datamodule.moc"
