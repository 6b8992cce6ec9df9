#include "WindowFixture.h"
#include "store/NoteColumns.h"
#include "ui/CaptionedGroup.h"
#include "ui/CodeEditor.h"
#include "ui/NoteTreeModel.h"
#include "ui/NoteTreeView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {
struct Ids {
    qint64 folder = 0, sub = 0, withExample = 0, plain = 0, nulls = 0;
};

// A folder with a sub-folder, an article with an example and one without.
std::function<void(TestNotebook &)> standardNotebook(Ids &ids) {
    return [&ids](TestNotebook &nb) {
        ids.folder = nb.addFolder(QStringLiteral("控件"));
        ids.sub = nb.addFolder(QStringLiteral("Sub"), ids.folder);
        ids.withExample = nb.addArticle(QStringLiteral("有示例"), ids.folder,
                                        QStringLiteral("begin\nend."), QStringLiteral("demo;"),
                                        QStringLiteral("说明一"), QStringLiteral("2024-03-05"), 5);
        ids.plain =
            nb.addArticle(QStringLiteral("Plain"), ids.sub, QStringLiteral("x := 1;"), QString(),
                          QStringLiteral("notes"), QStringLiteral("2021/12/31"), 0);
        ids.nulls = nb.addRow({{"Title", QVariant()}, {"ParentId", 0}, {"type", 1}});
    };
}

QString readCaption(WindowFixture &f) {
    return f.w->dxLayoutLabeledItem2->caption();
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void componentsCarryTheirNames();
    void stateAfterShow();
    void typicalEventShowsAndCounts();
    void folderClickLocksAndKeepsText();
    void exampleTabFollowsTheArticle();
    void promptBeforeLeavingAnEdit_data();
    void promptBeforeLeavingAnEdit();
    void bookmarkClickShowsWithoutCounting();
    void popupFollowsRowKind_data();
    void popupFollowsRowKind();
    void toolStripsFollowTheNavigationTab();
    void hotKeysWorkOnTheBookmarkTab();
    void oddRowsNeverRaiseErrors();
    void realMessageBoxCarriesItsSettings();
};

void TestMainWindow::componentsCarryTheirNames() {
    WindowFixture f;
    const char *names[] = {"scGPPanel1",
                           "Image1",
                           "scGPLabel1",
                           "scPanel3",
                           "scPanel1",
                           "cxSplitter1",
                           "scPanel2",
                           "scGPPageControl2",
                           "scGPPageControlPage4",
                           "scGPPageControlPage5",
                           "cxDBTreeList1",
                           "cxDBTreeList2",
                           "dxLayoutControl1",
                           "dxLayoutGroup1",
                           "dxLayoutGroup2",
                           "dxLayoutGroup3",
                           "cxTextEdit1",
                           "scGPEdit1",
                           "scGPPageControl1",
                           "scGPPageControlPage1",
                           "scGPPageControlPage2",
                           "scGPPageControlPage3",
                           "Panel1",
                           "Panel2",
                           "Panel3",
                           "Panel4",
                           "Panel5",
                           "Panel6",
                           "ToolBar1",
                           "ToolBar2",
                           "SynMemo1",
                           "SynMemo2",
                           "RichEdit1",
                           "dxLayoutLabeledItem1",
                           "dxLayoutLabeledItem2",
                           "dxLayoutSeparatorItem1",
                           "dxLayoutSeparatorItem2",
                           "dxLayoutSeparatorItem3",
                           "dxBarManager1",
                           "dxBarManager1Bar1",
                           "dxBarStatic1",
                           "dxBarStatic2",
                           "dxBarStatic3",
                           "dxBarStatic4",
                           "PopupMenu1",
                           "PopupMenu2"};
    for (const char *name : names)
        QVERIFY2(f.w->findChild<QWidget *>(QString::fromLatin1(name)), name);
    for (int i = 1; i <= 10; ++i)
        QVERIFY(f.w->findChild<QToolButton *>(QStringLiteral("ToolButton%1").arg(i)));
    const QStringList actions = {"Addd",
                                 "Addw",
                                 "Del",
                                 "Rname",
                                 "FullEx",
                                 "FullClose",
                                 "ShuQian",
                                 "ShuQianDel",
                                 "CutToClipboard",
                                 "CopyToClipboard",
                                 "PasteFromClipboard",
                                 "Search",
                                 "Copytip",
                                 "Synmemo2Save",
                                 "Synmemo1Save",
                                 "DelTip",
                                 "N1",
                                 "N2",
                                 "N3",
                                 "N4",
                                 "N5",
                                 "N6",
                                 "N7",
                                 "N8",
                                 "N9",
                                 "N10",
                                 "MenuItem7"};
    for (const QString &name : actions)
        QVERIFY2(f.w->findChild<QAction *>(name), qPrintable(name));
    QCOMPARE(f.w->windowTitle(), QStringLiteral("Quillbox"));
    QCOMPARE(f.w->N5->text(), QStringLiteral("编 辑(&R)"));
    QCOMPARE(f.w->Rname->text(), QStringLiteral("属 性(&R)"));
    QCOMPARE(f.w->Search->shortcut(), QKeySequence(Qt::Key_F2));
    QCOMPARE(f.w->Copytip->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(f.w->scGPEdit1->placeholderText(), QStringLiteral("关键字查询"));
    QCOMPARE(f.w->dxLayoutGroup3->caption(), QStringLiteral("说明和代码"));
    QCOMPARE(f.w->scGPPageControl2->tabText(1), QStringLiteral("我的书签"));
}

void TestMainWindow::stateAfterShow() {
    WindowFixture f;
    QVERIFY(!f.w->scGPPageControl1->isTabVisible(1));
    QCOMPARE(f.w->scGPPageControl1->currentWidget(), f.w->scGPPageControlPage2);
    QCOMPARE(f.w->scGPPageControl2->currentWidget(), f.w->scGPPageControlPage4);
    QVERIFY(f.w->SynMemo1->isLocked());
    QVERIFY(!f.w->SynMemo2->isLocked());
    QVERIFY(!f.pending(f.w->ToolButton4));
    QVERIFY(!f.pending(f.w->ToolButton9));
    QVERIFY(f.w->Synmemo1Save->isEnabled()); // the action stays; only the button is idle
    QCOMPARE(f.w->dxLayoutLabeledItem1->caption(), QStringLiteral(" 发布时间："));
    QCOMPARE(readCaption(f), QStringLiteral("阅读：（0）"));
    QVERIFY(CurrentNodeId.isEmpty());
    QVERIFY(EditedNodeId.isEmpty());
}

void TestMainWindow::typicalEventShowsAndCounts() {
    Ids ids;
    WindowFixture f(standardNotebook(ids));
    f.clickFolderTree(ids.withExample);
    QCOMPARE(CurrentNodeId, QString::number(ids.withExample));
    QVERIFY(!f.w->SynMemo1->isLocked() && !f.w->SynMemo2->isLocked());
    QCOMPARE(f.w->cxTextEdit1->text(), QStringLiteral("有示例"));
    QCOMPARE(f.w->SynMemo1->wholeText(), QStringLiteral("begin\nend."));
    QCOMPARE(f.w->SynMemo2->wholeText(), QStringLiteral("demo;"));
    QCOMPARE(f.w->RichEdit1->toPlainText(), QStringLiteral("说明一"));
    QCOMPARE(f.w->dxLayoutLabeledItem1->caption(),
             QStringLiteral("发布时间：") +
                 QLocale::system().toString(QDate(2024, 3, 5), QLocale::ShortFormat));
    QCOMPARE(readCaption(f), QStringLiteral("阅读：（5）"));
    QCOMPARE(f.nb.value(ids.withExample, "Read").toInt(), 6);
    QVERIFY(!f.w->SynMemo1->isModifiedFlag());

    // Twice: the caption shows the count before each reading.
    f.clickFolderTree(ids.withExample);
    QCOMPARE(readCaption(f), QStringLiteral("阅读：（6）"));
    QCOMPARE(f.nb.value(ids.withExample, "Read").toInt(), 7);
    // Keyboard moves show nothing and count nothing.
    f.moveFolderTreeTo(ids.plain);
    QCOMPARE(f.w->cxTextEdit1->text(), QStringLiteral("有示例"));
    QCOMPARE(f.nb.value(ids.plain, "Read").toInt(), 0);
    QVERIFY(f.boxes.asked.isEmpty());
}

void TestMainWindow::folderClickLocksAndKeepsText() {
    Ids ids;
    WindowFixture f(standardNotebook(ids));
    f.clickFolderTree(ids.withExample);
    f.clickFolderTree(ids.sub);
    QCOMPARE(CurrentNodeId, QString::number(ids.sub));
    QVERIFY(f.w->SynMemo1->isLocked() && f.w->SynMemo2->isLocked());
    QCOMPARE(f.w->SynMemo1->wholeText(), QStringLiteral("begin\nend."));
    QCOMPARE(f.w->cxTextEdit1->text(), QStringLiteral("有示例"));
    QCOMPARE(readCaption(f), QStringLiteral("阅读：（5）"));
    QVERIFY(f.nb.value(ids.sub, "Read").isNull() || f.nb.value(ids.sub, "Read").toInt() == 0);
}

void TestMainWindow::exampleTabFollowsTheArticle() {
    Ids ids;
    WindowFixture f(standardNotebook(ids));
    f.clickFolderTree(ids.withExample);
    QVERIFY(f.w->scGPPageControl1->isTabVisible(1));
    f.w->scGPPageControl1->setCurrentWidget(f.w->scGPPageControlPage1);
    f.clickFolderTree(ids.plain);
    QVERIFY(!f.w->scGPPageControl1->isTabVisible(1));
    QCOMPARE(f.w->scGPPageControl1->currentWidget(), f.w->scGPPageControlPage2);
    QCOMPARE(f.w->SynMemo2->wholeText(), QString());
    f.w->scGPPageControl1->setCurrentWidget(f.w->scGPPageControlPage1);
    f.clickFolderTree(ids.withExample);
    QVERIFY(f.w->scGPPageControl1->isTabVisible(1));
    QCOMPARE(f.w->scGPPageControl1->currentWidget(), f.w->scGPPageControlPage1);
}

void TestMainWindow::promptBeforeLeavingAnEdit_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes stores all three") << true;
    QTest::newRow("no stores nothing") << false;
}

void TestMainWindow::promptBeforeLeavingAnEdit() {
    QFETCH(bool, yes);
    Ids ids;
    WindowFixture f(standardNotebook(ids));
    f.clickFolderTree(ids.withExample);
    f.typeInCode(QStringLiteral("改"));
    f.w->RichEdit1->setPlainText(QStringLiteral("new notes"));
    QVERIFY(f.pending(f.w->ToolButton4));
    QCOMPARE(EditedNodeId, QString::number(ids.withExample));

    f.boxes.answer(yes ? QMessageBox::Yes : QMessageBox::No);
    f.clickFolderTree(ids.plain);
    QCOMPARE(f.boxes.asked.size(), 1);
    const AskedBox box = f.boxes.asked.first();
    QCOMPARE(box.text, QStringLiteral("当前内容有改动，是否要保存"));
    QCOMPARE(box.caption, QStringLiteral("提示"));
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.icon, QMessageBox::Question);
    const QVariantMap row = f.nb.row(ids.withExample);
    QCOMPARE(row.value("info").toString(),
             yes ? QStringLiteral("begin\nend.改") : QStringLiteral("begin\nend."));
    QCOMPARE(row.value("Richinfo").toString(),
             yes ? QStringLiteral("new notes") : QStringLiteral("说明一"));
    QCOMPARE(row.value("Demoinfo").toString(), QStringLiteral("demo;"));
    QVERIFY(!f.pending(f.w->ToolButton4) && !f.pending(f.w->ToolButton9));
    QCOMPARE(f.w->cxTextEdit1->text(), QStringLiteral("Plain"));

    // No more questions until the next edit.
    f.clickFolderTree(ids.withExample);
    f.clickFolderTree(ids.folder);
    QCOMPARE(f.boxes.asked.size(), 1);
    f.clickFolderTree(ids.plain);
    f.typeInCode(QStringLiteral("x"));
    f.clickFolderTree(ids.folder);
    QCOMPARE(f.boxes.asked.size(), 2);
}

void TestMainWindow::bookmarkClickShowsWithoutCounting() {
    Ids ids;
    qint64 marked = 0;
    WindowFixture f([&](TestNotebook &nb) {
        standardNotebook(ids)(nb);
        marked = nb.addArticle(QStringLiteral("书签"), ids.folder, QStringLiteral("bm code"),
                               QStringLiteral("bm demo"), QStringLiteral("bm notes"),
                               QStringLiteral("2020-01-01"), 9, 1);
    });
    f.clickFolderTree(ids.plain);
    f.clickFolderTree(ids.sub); // a folder locks the editors
    f.clickBookmarkTree(marked);
    QVERIFY(!f.w->SynMemo1->isLocked() && !f.w->SynMemo2->isLocked());
    QCOMPARE(f.w->cxTextEdit1->text(), QStringLiteral("书签"));
    QCOMPARE(f.w->SynMemo1->wholeText(), QStringLiteral("bm code"));
    QCOMPARE(f.w->SynMemo2->wholeText(), QStringLiteral("bm demo"));
    QCOMPARE(f.w->RichEdit1->toPlainText(), QStringLiteral("bm notes"));
    QVERIFY(f.w->scGPPageControl1->isTabVisible(1));
    QCOMPARE(CurrentNodeId, QString::number(ids.sub));
    QCOMPARE(readCaption(f), QStringLiteral("阅读：（0）")); // the last folder-tree article's
    QCOMPARE(f.nb.value(marked, "Read").toInt(), 9);
}

void TestMainWindow::popupFollowsRowKind_data() {
    QTest::addColumn<bool>("article");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("article") << true << QStringList{"N6", "N7", "N8", "N4", "N5", "N10", "N9"};
    // The menu itself drops the separator left standing at its end.
    QTest::newRow("folder") << false
                            << QStringList{"N1", "N2", "N3", "N6", "N7", "N8", "N4", "N5", "N10"};
}

void TestMainWindow::popupFollowsRowKind() {
    QFETCH(bool, article);
    QFETCH(QStringList, shown);
    Ids ids;
    WindowFixture f(standardNotebook(ids));
    f.moveFolderTreeTo(article ? ids.withExample : ids.folder);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(f.w->cxDBTreeList2, &leave); // either tree, the folder tree's row
    QStringList visible;
    for (QAction *a : f.w->PopupMenu1->actions())
        if (a->isVisible())
            visible << a->objectName();
    QCOMPARE(visible, shown);
    QCOMPARE(f.w->PopupMenu2->actions().size(), 1);
    QCOMPARE(f.w->MenuItem7->text(), QStringLiteral("删除(&D)"));
}

void TestMainWindow::toolStripsFollowTheNavigationTab() {
    WindowFixture f;
    const QPoint editorAt = f.w->SynMemo1->mapTo(f.w.get(), QPoint());
    f.w->scGPPageControl2->setCurrentWidget(f.w->scGPPageControlPage5);
    QVERIFY(f.w->Panel3->isHidden() && f.w->Panel6->isHidden());
    QVERIFY(!f.w->Panel1->isHidden() && !f.w->Panel4->isHidden());
    QApplication::processEvents();
    QCOMPARE(f.w->SynMemo1->mapTo(f.w.get(), QPoint()), editorAt);
    f.w->scGPPageControl2->setCurrentWidget(f.w->scGPPageControlPage4);
    QVERIFY(!f.w->Panel3->isHidden() && !f.w->Panel6->isHidden());
}

void TestMainWindow::hotKeysWorkOnTheBookmarkTab() {
    Ids ids;
    WindowFixture f(standardNotebook(ids));
    f.clickFolderTree(ids.withExample);
    f.w->scGPPageControl2->setCurrentWidget(f.w->scGPPageControlPage5);
    f.w->activateWindow();
    f.w->cxDBTreeList2->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("begin\nend."));
    QCOMPARE(f.notices(), QStringLiteral("代码已复制到剪贴板"));
    f.w->SynMemo2->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
    QCOMPARE(QApplication::focusWidget(), f.w->scGPEdit1);
}

// Missing texts and dates, a bookmark click on an empty list and a vanished
// row are shown quietly: no error box.
void TestMainWindow::oddRowsNeverRaiseErrors() {
    Ids ids;
    WindowFixture f(standardNotebook(ids));
    f.clickFolderTree(ids.nulls);
    QCOMPARE(f.w->cxTextEdit1->text(), QString());
    QCOMPARE(f.w->SynMemo1->wholeText(), QString());
    QCOMPARE(f.w->dxLayoutLabeledItem1->caption(), QStringLiteral("发布时间："));
    QCOMPARE(f.nb.value(ids.nulls, "Read").toInt(), 1);

    f.w->scGPPageControl2->setCurrentWidget(f.w->scGPPageControlPage5);
    f.w->cxDBTreeList2Click();
    QCOMPARE(f.w->cxTextEdit1->text(), QString());

    f.moveFolderTreeTo(ids.plain);
    f.nb.exec(QStringLiteral("DELETE FROM delphi WHERE NodeId=%1").arg(ids.plain));
    f.w->cxDBTreeList1Click(); // its counter row is gone from the file
    QCOMPARE(f.nb.rowCount(), 4);
    QVERIFY(f.boxes.asked.isEmpty());
}

void TestMainWindow::realMessageBoxCarriesItsSettings() {
    std::unique_ptr<QMessageBox> box(MsgBox::build(
        {nullptr, QStringLiteral("当前内容有改动，是否要保存"), QStringLiteral("提示"),
         QMessageBox::Yes | QMessageBox::No, QMessageBox::Question}));
    QCOMPARE(box->text(), QStringLiteral("当前内容有改动，是否要保存"));
    QCOMPARE(box->windowTitle(), QStringLiteral("提示"));
    QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box->icon(), QMessageBox::Question);
    QCOMPARE(MsgBox::errorText(QStringLiteral("disk full")), QStringLiteral("disk full."));
    QCOMPARE(MsgBox::errorText(QStringLiteral("done.")), QStringLiteral("done."));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
