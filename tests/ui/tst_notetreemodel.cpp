#include "TestNotebook.h"
#include "store/NoteColumns.h"
#include "store/UDM.h"
#include "ui/NoteTreeModel.h"
#include "ui/NoteTreeView.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace C = NoteColumns;

namespace {
// The tree as text: "A(B,C),D" lists each title with its children.
QString shape(const QAbstractItemModel &m, const QModelIndex &parent = {}) {
    QStringList parts;
    for (int r = 0; r < m.rowCount(parent); ++r) {
        const QModelIndex i = m.index(r, 0, parent);
        QString s = i.data().toString();
        if (m.rowCount(i) > 0)
            s += u'(' + shape(m, i) + u')';
        parts << s;
    }
    return parts.join(u',');
}

void post(NoteQuery &q, const QString &nodeId, const QVariantMap &values) {
    if (nodeId.isEmpty()) {
        q.append();
    } else {
        QVERIFY(q.locate(C::NodeId, nodeId));
        q.edit();
    }
    for (auto it = values.begin(); it != values.end(); ++it)
        q.setField(it.key(), it.value());
    q.post();
}
} // namespace

class TestNoteTreeModel : public QObject {
    Q_OBJECT
private slots:
    void placesRowsUnderTheirParents();
    void followsWritesWithoutReset();
    void keepsOpenFoldersAcrossFilters();
};

void TestNoteTreeModel::placesRowsUnderTheirParents() {
    TestNotebook nb;
    const qint64 a = nb.addFolder("A");
    nb.addArticle("a1", a);
    nb.addArticle("orphan", 999); // its folder is gone: top level
    const qint64 b = nb.addFolder("B", 0);
    nb.addArticle("b1", b);
    nb.addArticle("a2", a); // siblings keep record-set order
    const qint64 r1 = nb.addFolder("R1", 0);
    const qint64 r2 = nb.addFolder("R2", r1);
    nb.exec(QStringLiteral("UPDATE delphi SET ParentId=%1 WHERE NodeId=%2").arg(r2).arg(r1));
    nb.addFolder("self", 0);
    nb.exec(QStringLiteral("UPDATE delphi SET ParentId=NodeId WHERE Title='self'"));
    TDM dm(nullptr, nb.path());
    NoteTreeModel model(&dm.FDMemReg, &dm.img16);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // A ring of parents is broken at its first row; a row that is its own parent stands on top.
    QCOMPARE(shape(model), QStringLiteral("A(a1,a2),orphan,B(b1),R1(R2),self"));
    QCOMPARE(model.data(model.index(0, 0), Qt::DecorationRole).value<QIcon>().isNull(), false);
    QCOMPARE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable, Qt::NoItemFlags);

    NoteTreeModel bookmarks(&dm.FDshuqian, &dm.img16);
    QCOMPARE(bookmarks.rowCount(), 0);
}

void TestNoteTreeModel::followsWritesWithoutReset() {
    TestNotebook nb;
    const qint64 a = nb.addFolder("A");
    const qint64 x = nb.addArticle("x", a);
    const qint64 b = nb.addFolder("B");
    TDM dm(nullptr, nb.path());
    NoteTreeModel model(&dm.FDMemReg, &dm.img16);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    NoteQuery &q = dm.FDQuery1;

    post(q, {}, {{"Title", "y"}, {"ParentId", QString::number(b)}, {"type", 1}});
    QCOMPARE(shape(model), QStringLiteral("A(x),B(y)"));
    post(q, QString::number(x), {{"Read", 7}});
    post(q, QString::number(x), {{"Title", "x2"}});
    QCOMPARE(shape(model), QStringLiteral("A(x2),B(y)"));
    post(q, QString::number(x), {{"ParentId", QString::number(b)}});
    QCOMPARE(shape(model), QStringLiteral("A,B(x2,y)")); // record-set order among siblings
    post(q, QString::number(b), {{"ParentId", QString::number(x)}});
    QCOMPARE(shape(model), QStringLiteral("A,B(x2,y)")); // never under its own child

    // A deleted folder's rows stand at the top level, and return with a new parent row.
    QVERIFY(q.locate(C::NodeId, QString::number(b)));
    q.deleteRow();
    QCOMPARE(shape(model), QStringLiteral("A,x2,y"));
    post(q, QString::number(a), {{"ParentId", "0"}});
    QCOMPARE(resets.size(), 0);

    // The view keeps its selection and open folders through writes.
    NoteTreeView view;
    NoteTreeModel viewModel(&dm.FDMemReg, &dm.img16);
    view.setNoteModel(&viewModel);
    post(q, {}, {{"Title", "in A"}, {"ParentId", QString::number(a)}, {"type", 1}});
    view.expand(viewModel.indexOfNodeId(a));
    QVERIFY(dm.FDMemReg.locate(C::Title, "in A"));
    QCOMPARE(view.currentIndex().data().toString(), QStringLiteral("in A"));
    post(q, dm.FDMemReg.fieldText(C::NodeId), {{"Read", 3}});
    QVERIFY(view.isExpanded(viewModel.indexOfNodeId(a)));
    QCOMPARE(view.currentIndex().data().toString(), QStringLiteral("in A"));
    // Keyboard moves carry the cursor along.
    view.setCurrentIndex(viewModel.index(0, 0));
    QCOMPARE(dm.FDMemReg.fieldText(C::Title), QStringLiteral("A"));
}

void TestNoteTreeModel::keepsOpenFoldersAcrossFilters() {
    TestNotebook nb;
    const qint64 a = nb.addFolder("Alpha");
    nb.addArticle("alpha one", a);
    const qint64 b = nb.addFolder("Beta");
    nb.addArticle("beta one", b);
    TDM dm(nullptr, nb.path());
    NoteTreeView view;
    NoteTreeModel model(&dm.FDMemReg, &dm.img16);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    view.setNoteModel(&model);
    view.expandEverything();

    dm.FDMemReg.setFilter(QStringLiteral("title like '%alpha%'"));
    dm.FDMemReg.setFiltered(true);
    QCOMPARE(shape(model), QStringLiteral("Alpha(alpha one)"));
    QVERIFY(view.isExpanded(model.indexOfNodeId(a)));
    dm.FDMemReg.setFilter(QStringLiteral("title like '%one%'"));
    QCOMPARE(shape(model), QStringLiteral("alpha one,beta one")); // lifted to the top level
    dm.FDMemReg.setFiltered(false);
    QCOMPARE(shape(model), QStringLiteral("Alpha(alpha one),Beta(beta one)"));
    QVERIFY(view.isExpanded(model.indexOfNodeId(a)));
    QVERIFY(view.isExpanded(model.indexOfNodeId(b)));
    view.collapseEverything();
    dm.FDMemReg.setFiltered(true);
    dm.FDMemReg.setFiltered(false);
    QVERIFY(!view.isExpanded(model.indexOfNodeId(a)));
}

QTEST_MAIN(TestNoteTreeModel)
#include "tst_notetreemodel.moc"
