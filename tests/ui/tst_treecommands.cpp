#include "WindowFixture.h"
#include "store/NoteColumns.h"
#include "ui/CodeEditor.h"
#include "ui/NoteTreeModel.h"
#include "ui/NoteTreeView.h"
#include "ui/UAdd.h"
#include "ui/UAddF.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
struct Ids {
    qint64 top = 0, mid = 0, leaf = 0, deep = 0, piece = 0, same1 = 0, same2 = 0, snippet = 0,
           other = 0, twin1 = 0, twin2 = 0;
};

// Three levels of folders, two folders titled alike (the second holds an
// article), two articles titled alike (one at the top level).
std::function<void(TestNotebook &)> treeNotebook(Ids &ids) {
    return [&ids](TestNotebook &nb) {
        ids.top = nb.addFolder(QStringLiteral("Top"));
        ids.mid = nb.addFolder(QStringLiteral("Mid"), ids.top);
        ids.leaf = nb.addFolder(QStringLiteral("Leaf"), ids.mid);
        ids.deep = nb.addArticle(QStringLiteral("Deep"), ids.leaf);
        ids.piece = nb.addArticle(QStringLiteral("Piece"), ids.mid);
        ids.same1 = nb.addFolder(QStringLiteral("Same"));
        ids.same2 = nb.addFolder(QStringLiteral("Same"));
        ids.snippet = nb.addArticle(QStringLiteral("Snippet"), ids.same2, QStringLiteral("code;"),
                                    QStringLiteral("demo;"), QStringLiteral("notes"));
        ids.other = nb.addFolder(QStringLiteral("Other"));
        ids.twin1 = nb.addArticle(QStringLiteral("Twin"), ids.other, QStringLiteral("top code"), {},
                                  QStringLiteral("top notes"));
        ids.twin2 = nb.addArticle(QStringLiteral("Twin"), 0, QStringLiteral("top code"), {},
                                  QStringLiteral("top notes"));
    };
}

const QString WholeTree =
    QStringLiteral("Top(Mid(Leaf(Deep) Piece)) Same Same(Snippet) Other(Twin) Twin");

// What the modal folder dialog showed when it came up.
struct FolderDialogSeen {
    bool seen = false;
    QString caption, title, nid;
    int tag = -1;
    bool topLevelEnabled = true;
};

// Runs `command`, which shows the folder dialog modally, and answers it:
// OK with `title`, or Cancel when `title` is null.
FolderDialogSeen answerFolderDialog(QAction *command, const QString &title) {
    FolderDialogSeen seen;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *dlg = qobject_cast<TAdd *>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        seen = {true,     dlg->windowTitle(), dlg->cxTextEdit1->text(),
                dlg->nid, dlg->Tag,           dlg->CheckBox1->isEnabled()};
        if (title.isNull()) {
            QTest::mouseClick(dlg->cxButton2, Qt::LeftButton);
        } else {
            dlg->cxTextEdit1->setText(title);
            QTest::mouseClick(dlg->cxButton1, Qt::LeftButton);
        }
        if (dlg->isVisible())
            dlg->reject(); // a refused OK must not leave the test waiting
    });
    timer.start(0);
    command->trigger();
    QTest::qWait(0);
    return seen;
}

TAddF *openArticleDialog(WindowFixture &f) {
    const QList<TAddF *> open = TAddF::openFor(f.w.get());
    return open.size() == 1 ? open.first() : nullptr;
}

// Folders whose rows are shown, by title, in tree order.
QStringList expandedFolders(const NoteTreeView *tree, const QModelIndex &parent = {}) {
    QStringList out;
    const NoteTreeModel *model = tree->noteModel();
    for (int r = 0, n = model->rowCount(parent); r < n; ++r) {
        const QModelIndex child = model->index(r, 0, parent);
        if (model->hasChildren(child) && tree->isExpanded(child))
            out << child.data().toString();
        out << expandedFolders(tree, child);
    }
    return out;
}
} // namespace

class TestTreeCommands : public QObject {
    Q_OBJECT
private slots:
    void newFolderUnderCurrentRow_data();
    void newFolderUnderCurrentRow();
    void newArticlePresetsFolderByKey_data();
    void newArticlePresetsFolderByKey();
    void renameFolder();
    void editArticle_data();
    void editArticle();
    void deleteAsksAndRefusesNonEmptyFolders_data();
    void deleteAsksAndRefusesNonEmptyFolders();
    void expandAndCollapseEverything();
};

void TestTreeCommands::newFolderUnderCurrentRow_data() {
    QTest::addColumn<bool>("emptyNotebook");
    QTest::addColumn<QString>("title"); // null: Cancel
    QTest::newRow("under the current folder") << false << "Fresh";
    QTest::newRow("empty notebook: at the top") << true << "Fresh";
    QTest::newRow("cancel writes nothing") << false << QString();
}

void TestTreeCommands::newFolderUnderCurrentRow() {
    QFETCH(bool, emptyNotebook);
    QFETCH(QString, title);
    Ids ids;
    WindowFixture f(emptyNotebook ? std::function<void(TestNotebook &)>() : treeNotebook(ids));
    if (!emptyNotebook)
        f.clickFolderTree(ids.mid);
    const int rowsBefore = f.nb.rowCount();
    const qint64 parent = emptyNotebook ? 0 : ids.mid;

    const FolderDialogSeen seen = answerFolderDialog(f.w->Addd, title);
    QVERIFY(seen.seen);
    QCOMPARE(seen.nid, QString::number(parent));
    QCOMPARE(seen.tag, 0);
    QCOMPARE(seen.caption, QStringLiteral("新建目录"));
    QCOMPARE(seen.title, QString());
    QVERIFY(seen.topLevelEnabled);
    QVERIFY(f.boxes.asked.isEmpty());
    if (title.isNull()) {
        QCOMPARE(f.nb.rowCount(), rowsBefore);
        QCOMPARE(f.folderTree(), WholeTree);
        return;
    }
    QCOMPARE(f.nb.rowCount(), rowsBefore + 1);
    const qint64 fresh = f.dm->FDQuery1.fieldInt(NoteColumns::NodeId);
    QCOMPARE(f.nb.value(fresh, QStringLiteral("ParentId")).toLongLong(), parent);
    QCOMPARE(f.nb.value(fresh, QStringLiteral("type")).toInt(), 0);
    const NoteTreeModel *model = f.w->folderModel();
    QCOMPARE(model->nodeIdAt(model->indexOfNodeId(fresh).parent()), parent);
    if (!emptyNotebook)
        QCOMPARE(
            f.folderTree(),
            QStringLiteral("Top(Mid(Leaf(Deep) Piece Fresh)) Same Same(Snippet) Other(Twin) Twin"));
}

void TestTreeCommands::newArticlePresetsFolderByKey_data() {
    QTest::addColumn<QString>("current"); // the folder tree's row; empty: an empty notebook
    QTest::newRow("second of two alike") << "same2";
    QTest::newRow("first of two alike") << "same1";
    QTest::newRow("empty notebook") << "";
}

void TestTreeCommands::newArticlePresetsFolderByKey() {
    QFETCH(QString, current);
    Ids ids;
    WindowFixture f(current.isEmpty() ? std::function<void(TestNotebook &)>() : treeNotebook(ids));
    const qint64 folder = current == QStringLiteral("same1")   ? ids.same1
                          : current == QStringLiteral("same2") ? ids.same2
                                                               : 0;
    if (folder)
        f.clickFolderTree(folder);
    f.w->Addw->trigger();
    QPointer<TAddF> dlg = openArticleDialog(f);
    QVERIFY(dlg);
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->windowTitle(), QStringLiteral("新建文章"));
    QCOMPARE(dlg->Tag, 0);
    QCOMPARE(dlg->pickedFolder(), folder);
    QCOMPARE(dlg->cxLookupComboBox1->currentText(), folder ? QStringLiteral("Same") : QString());
    QVERIFY(dlg->CheckBox2->isEnabled());
    QTest::mouseClick(dlg->cxButton2, Qt::LeftButton);
    QTRY_VERIFY(dlg.isNull());
    QVERIFY(f.boxes.asked.isEmpty());
}

void TestTreeCommands::renameFolder() {
    Ids ids;
    WindowFixture f(treeNotebook(ids));
    f.clickFolderTree(ids.same1);
    const FolderDialogSeen seen = answerFolderDialog(f.w->Rname, QStringLiteral("Renamed"));
    QVERIFY(seen.seen);
    QCOMPARE(seen.caption, QStringLiteral("新建目录"));
    QCOMPARE(seen.title, QStringLiteral("Same"));
    QCOMPARE(seen.nid, QString::number(ids.same1));
    QCOMPARE(seen.tag, 1);
    QVERIFY(!seen.topLevelEnabled);
    QCOMPARE(f.nb.value(ids.same1, QStringLiteral("Title")).toString(), QStringLiteral("Renamed"));
    QCOMPARE(f.nb.value(ids.same2, QStringLiteral("Title")).toString(), QStringLiteral("Same"));
    QCOMPARE(f.folderTree(),
             QStringLiteral("Top(Mid(Leaf(Deep) Piece)) Renamed Same(Snippet) Other(Twin) Twin"));
    QVERIFY(f.boxes.asked.isEmpty());
}

void TestTreeCommands::editArticle_data() {
    QTest::addColumn<QString>("article");
    QTest::addColumn<QString>("keyword"); // typed into the search box first
    QTest::addColumn<bool>("folderShown");
    QTest::newRow("in the second of two folders alike") << "snippet"
                                                        << "" << true;
    QTest::newRow("at the top level") << "twin2"
                                      << "" << false;
    // The picker goes by the article's own folder, also while the search hides it.
    QTest::newRow("folder hidden by the search") << "snippet"
                                                 << "Snip" << true;
}

void TestTreeCommands::editArticle() {
    QFETCH(QString, article);
    QFETCH(QString, keyword);
    QFETCH(bool, folderShown);
    Ids ids;
    WindowFixture f(treeNotebook(ids));
    const qint64 id = article == QStringLiteral("snippet") ? ids.snippet : ids.twin2;
    if (!keyword.isEmpty())
        f.type(f.w->scGPEdit1, keyword);
    f.clickFolderTree(id);
    const QVariantMap before = f.nb.row(id); // read counted by the click
    f.w->Rname->trigger();

    QPointer<TAddF> dlg = openArticleDialog(f);
    QVERIFY(dlg);
    QCOMPARE(dlg->windowTitle(), QStringLiteral("修改文章"));
    QCOMPARE(dlg->Tag, 1);
    QCOMPARE(dlg->nid, QString::number(id));
    QCOMPARE(dlg->cxTextEdit1->text(), before.value("Title").toString());
    QCOMPARE(dlg->SynMemo1->wholeText(), before.value("info").toString());
    QCOMPARE(dlg->SynMemo2->wholeText(), before.value("Demoinfo").toString());
    QCOMPARE(dlg->RichEdit1->toPlainText(), before.value("Richinfo").toString());
    QVERIFY(!dlg->CheckBox2->isEnabled());
    QCOMPARE(dlg->pickedFolder(), folderShown ? ids.same2 : 0);

    dlg->cxTextEdit1->setText(QStringLiteral("Edited"));
    QTest::mouseClick(dlg->cxButton1, Qt::LeftButton);
    QTRY_VERIFY(dlg.isNull());
    QVariantMap expected = before;
    expected.insert(QStringLiteral("Title"), QStringLiteral("Edited"));
    QCOMPARE(f.nb.row(id), expected);
    QVERIFY(f.boxes.asked.isEmpty());
}

void TestTreeCommands::deleteAsksAndRefusesNonEmptyFolders_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("treeAfter"); // empty: unchanged
    QTest::newRow("no keeps the row") << "same1"
                                      << "" << false << false << "";
    QTest::newRow("empty folder") << "same1"
                                  << "" << true << false
                                  << "Top(Mid(Leaf(Deep) Piece)) Same(Snippet) Other(Twin) Twin";
    QTest::newRow("article") << "twin2"
                             << "" << true << false
                             << "Top(Mid(Leaf(Deep) Piece)) Same Same(Snippet) Other(Twin)";
    QTest::newRow("folder with rows") << "mid"
                                      << "" << true << true << "";
    QTest::newRow("folder whose rows the search hides") << "mid"
                                                        << "Mid" << true << true << "";
}

void TestTreeCommands::deleteAsksAndRefusesNonEmptyFolders() {
    QFETCH(QString, target);
    QFETCH(QString, keyword);
    QFETCH(bool, yes);
    QFETCH(bool, refused);
    QFETCH(QString, treeAfter);
    Ids ids;
    WindowFixture f(treeNotebook(ids));
    const qint64 id = target == QStringLiteral("same1")   ? ids.same1
                      : target == QStringLiteral("twin2") ? ids.twin2
                                                          : ids.mid;
    if (!keyword.isEmpty()) {
        f.type(f.w->scGPEdit1, keyword);
        QCOMPARE(f.folderTree(), keyword);
    }
    f.clickFolderTree(id);
    const int rowsBefore = f.nb.rowCount();
    f.boxes.answer(yes ? QMessageBox::Yes : QMessageBox::No);
    f.w->Del->trigger();

    QCOMPARE(f.boxes.asked.size(), refused ? 2 : 1);
    const AskedBox ask = f.boxes.asked.first();
    QCOMPARE(ask.text, QStringLiteral("确定真的要删除吗？"));
    QCOMPARE(ask.caption, QStringLiteral("提示"));
    QCOMPARE(ask.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(ask.icon, QMessageBox::NoIcon);
    if (refused) {
        const AskedBox refusal = f.boxes.asked.last();
        QCOMPARE(refusal.text, QStringLiteral("当前目录下子有目录或文章，请先删除！"));
        QCOMPARE(refusal.caption, QStringLiteral("提示"));
        QCOMPARE(refusal.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(refusal.icon, QMessageBox::Information);
    }
    const bool deleted = !treeAfter.isEmpty();
    QCOMPARE(f.nb.rowCount(), rowsBefore - (deleted ? 1 : 0));
    QCOMPARE(f.nb.row(id).isEmpty(), deleted);
    if (!keyword.isEmpty())
        f.w->scGPEdit1->clear();
    QCOMPARE(f.folderTree(), deleted ? treeAfter : WholeTree);
}

void TestTreeCommands::expandAndCollapseEverything() {
    Ids ids;
    WindowFixture f(treeNotebook(ids));
    QCOMPARE(expandedFolders(f.w->cxDBTreeList1), QStringList());
    f.w->FullEx->trigger();
    QCOMPARE(expandedFolders(f.w->cxDBTreeList1),
             (QStringList{"Top", "Mid", "Leaf", "Same", "Other"}));
    const QModelIndex deep = f.w->folderModel()->indexOfNodeId(ids.deep);
    QVERIFY(f.w->cxDBTreeList1->visualRect(deep).isValid());

    f.w->FullClose->trigger();
    QCOMPARE(expandedFolders(f.w->cxDBTreeList1), QStringList());
    QVERIFY(!f.w->cxDBTreeList1->visualRect(deep).isValid());
    QCOMPARE(f.w->folderModel()->rowCount(), 5);
    QVERIFY(f.w->cxDBTreeList1->visualRect(f.w->folderModel()->index(4, 0)).isValid());
    QCOMPARE(f.folderTree(), WholeTree);
    QVERIFY(f.boxes.asked.isEmpty());
}

QTEST_MAIN(TestTreeCommands)
#include "tst_treecommands.moc"
