#include "WindowFixture.h"
#include "ui/CodeEditor.h"
#include "ui/NoteTreeView.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {
struct Ids {
    qint64 folder = 0, art = 0, other = 0, marked = 0;
};

std::function<void(TestNotebook &)> notebook(Ids &ids) {
    return [&ids](TestNotebook &nb) {
        ids.folder = nb.addFolder(QStringLiteral("F"));
        ids.art = nb.addArticle(QStringLiteral("Art"), ids.folder, QStringLiteral("code"),
                                QStringLiteral("demo"), QStringLiteral("notes"));
        ids.other =
            nb.addArticle(QStringLiteral("Other"), ids.folder, QStringLiteral("other code"));
        ids.marked =
            nb.addArticle(QStringLiteral("Marked"), ids.folder, QStringLiteral("marked code"),
                          QString(), QString(), QStringLiteral("2020-01-01"), 0, 1);
    };
}
} // namespace

class TestEditing : public QObject {
    Q_OBJECT
private slots:
    void saveWritesOnlyItsColumn();
    void emptyTitleRefusesSilently();
    void undoAfterSaveKeepsTheButton();
    void blankLinesGoWithoutUndo_data();
    void blankLinesGoWithoutUndo();
    void copyWholeCode();
    void lockedEditorRefusesCutAndPaste();
    void saveTargetsTheShownArticle_data();
    void saveTargetsTheShownArticle();
    void bookmarkClickAsksFirst_data();
    void bookmarkClickAsksFirst();
    void closeAsksFirst_data();
    void closeAsksFirst();
    void saveOfDeletedArticleKeepsTheEdit();
};

void TestEditing::saveWritesOnlyItsColumn() {
    Ids ids;
    WindowFixture f(notebook(ids));
    f.clickFolderTree(ids.art);
    f.typeInCode(QStringLiteral("1"));
    QVERIFY(f.pending(f.w->ToolButton4));
    QVERIFY(!f.pending(f.w->ToolButton9));
    QCOMPARE(EditedNodeId, QString::number(ids.art));
    f.typeInExample(QStringLiteral("2"));
    QVERIFY(f.pending(f.w->ToolButton9));
    f.nb.exec(QStringLiteral("UPDATE delphi SET Title='outside', Richinfo='outside'"));

    QTest::mouseClick(f.w->ToolButton9, Qt::LeftButton);
    QVariantMap row = f.nb.row(ids.art);
    QCOMPARE(row.value("Demoinfo").toString(), QStringLiteral("demo2"));
    QCOMPARE(row.value("info").toString(), QStringLiteral("code"));
    QCOMPARE(row.value("Title").toString(), QStringLiteral("outside"));
    QVERIFY(!f.pending(f.w->ToolButton9));
    QVERIFY(f.pending(f.w->ToolButton4)); // the code's edit still waits

    f.w->scGPPageControl1->setCurrentWidget(f.w->scGPPageControlPage2);
    QTest::mouseClick(f.w->ToolButton4, Qt::LeftButton);
    row = f.nb.row(ids.art);
    QCOMPARE(row.value("info").toString(), QStringLiteral("code1"));
    QCOMPARE(row.value("Richinfo").toString(), QStringLiteral("outside"));
    QVERIFY(!f.pending(f.w->ToolButton4));
    QVERIFY(!f.w->SynMemo1->isModifiedFlag());
    QCOMPARE(EditedNodeId, QString::number(ids.art)); // kept after a save
}

void TestEditing::emptyTitleRefusesSilently() {
    Ids ids;
    WindowFixture f(notebook(ids));
    f.clickFolderTree(ids.art);
    f.typeInCode(QStringLiteral("x"));
    f.w->cxTextEdit1->clear();
    f.w->Synmemo1SaveExecute();
    QVERIFY(f.pending(f.w->ToolButton4));
    QCOMPARE(f.nb.value(ids.art, "info").toString(), QStringLiteral("code"));
    QVERIFY(f.boxes.asked.isEmpty());
    f.w->cxTextEdit1->setText(QStringLiteral(" "));
    f.w->Synmemo1SaveExecute();
    QVERIFY(!f.pending(f.w->ToolButton4));
    QCOMPARE(f.nb.value(ids.art, "info").toString(), QStringLiteral("codex"));
}

// Typing and undoing right after a save lowers the flag but not the button;
// the button then writes the unchanged text.
void TestEditing::undoAfterSaveKeepsTheButton() {
    Ids ids;
    WindowFixture f(notebook(ids));
    f.clickFolderTree(ids.art);
    f.typeInCode(QStringLiteral("x"));
    f.w->Synmemo1SaveExecute();
    f.typeInCode(QStringLiteral("y"));
    f.w->SynMemo1->undo();
    QVERIFY(!f.w->SynMemo1->isModifiedFlag());
    QVERIFY(f.pending(f.w->ToolButton4));
    QVERIFY(!f.w->editPending()); // no question on leaving
    f.w->Synmemo1SaveExecute();
    QVERIFY(!f.pending(f.w->ToolButton4));
    QCOMPARE(f.nb.value(ids.art, "info").toString(), QStringLiteral("codex"));
}

void TestEditing::blankLinesGoWithoutUndo_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("left");
    QTest::addColumn<bool>("pending");
    QTest::newRow("five lines") << "a\n\n  \nb\n\t"
                                << "a\nb" << true;
    QTest::newRow("ideographic space stays")
        << QString::fromUtf8("a\n\u3000\n \nb") << QString::fromUtf8("a\n\u3000\nb") << true;
    QTest::newRow("nothing blank") << "a\n b"
                                   << "a\n b" << false;
}

void TestEditing::blankLinesGoWithoutUndo() {
    QFETCH(QString, code);
    QFETCH(QString, left);
    QFETCH(bool, pending);
    Ids ids;
    WindowFixture f([&](TestNotebook &nb) {
        notebook(ids)(nb);
        nb.exec(
            QStringLiteral("UPDATE delphi SET info='%1' WHERE NodeId=%2").arg(code).arg(ids.art));
    });
    f.clickFolderTree(ids.art);
    f.typeInCode(QStringLiteral("z")); // some undo history before the removal
    f.w->SynMemo1->undo();
    f.w->Synmemo1SaveExecute();
    QVERIFY(!f.pending(f.w->ToolButton4));
    QTest::mouseClick(f.w->ToolButton5, Qt::LeftButton);
    QCOMPARE(f.w->SynMemo1->wholeText(), left);
    QCOMPARE(f.pending(f.w->ToolButton4), pending);
    QCOMPARE(f.w->SynMemo1->isModifiedFlag(), pending);
    // Undo can neither bring the lines back nor break the editor.
    f.w->SynMemo1->setCursorPosition(f.w->SynMemo1->lines() - 1, 0);
    f.type(f.w->SynMemo1, QStringLiteral("q"));
    f.w->SynMemo1->undo();
    f.w->SynMemo1->undo();
    QCOMPARE(f.w->SynMemo1->wholeText(), left);
    QCOMPARE(f.nb.value(ids.art, "info").toString(), code); // nothing stored until saved
}

void TestEditing::copyWholeCode() {
    Ids ids;
    WindowFixture f(notebook(ids));
    f.clickFolderTree(ids.art);
    f.w->scGPPageControl1->setCurrentWidget(f.w->scGPPageControlPage3);
    f.w->SynMemo2->setFocus();
    QTest::keyClick(f.w->SynMemo2, Qt::Key_F3);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("code"));
    QCOMPARE(f.notices(), QStringLiteral("代码已复制到剪贴板"));
    QCOMPARE(f.w->SynMemo1->selectedText(), QStringLiteral("code"));
    f.closeNotices();

    f.w->SynMemo1->setWholeText(QString());
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    f.w->CopytipExecute();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));
    QCOMPARE(f.notices(), QStringLiteral("代码已复制到剪贴板"));
}

void TestEditing::lockedEditorRefusesCutAndPaste() {
    Ids ids;
    WindowFixture f(notebook(ids));
    f.clickFolderTree(ids.art);
    f.clickFolderTree(ids.folder);
    QVERIFY(f.w->SynMemo1->isLocked());
    f.w->SynMemo1->selectWhole();
    QApplication::clipboard()->setText(QStringLiteral("clip"));
    f.w->CutToClipboardExecute();
    QCOMPARE(f.w->SynMemo1->wholeText(), QStringLiteral("code"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("clip"));
    f.w->CopyToClipboardExecute();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("code"));
    f.w->PasteFromClipboardExecute();
    QCOMPARE(f.w->SynMemo1->wholeText(), QStringLiteral("code"));
    QVERIFY(!f.pending(f.w->ToolButton4));
}

// Whatever the folder tree's current row, a save writes the editors' text
// into the article they hold, and only there.
void TestEditing::saveTargetsTheShownArticle_data() {
    QTest::addColumn<QString>("move");
    QTest::newRow("keyboard move") << "keys";
    QTest::newRow("folder click") << "folder";
    QTest::newRow("bookmark click") << "bookmark";
    QTest::newRow("search filter") << "search";
}

void TestEditing::saveTargetsTheShownArticle() {
    QFETCH(QString, move);
    Ids ids;
    WindowFixture f(notebook(ids));
    qint64 shown = ids.art;
    f.clickFolderTree(ids.art);
    if (move == "keys")
        f.moveFolderTreeTo(ids.other);
    if (move == "folder")
        f.clickFolderTree(ids.folder);
    if (move == "bookmark") {
        f.clickBookmarkTree(ids.marked);
        shown = ids.marked;
        f.moveFolderTreeTo(ids.other);
    }
    if (move == "search")
        f.w->scGPEdit1->setText(QStringLiteral("Other"));
    // A blank-line removal marks the shown article too, even while a folder is current.
    f.w->SynMemo1->setLocked(false);
    f.w->scGPPageControl1->setCurrentWidget(f.w->scGPPageControlPage2);
    f.typeInCode(QString());
    QTest::keyClick(f.w->SynMemo1, Qt::Key_Return);
    QTest::keyClick(f.w->SynMemo1, Qt::Key_Return);
    f.type(f.w->SynMemo1, QStringLiteral("!"));
    QTest::mouseClick(f.w->ToolButton5, Qt::LeftButton);
    QCOMPARE(EditedNodeId, QString::number(shown));
    f.w->Synmemo1SaveExecute();
    const QString expected =
        (shown == ids.art ? QStringLiteral("code") : QStringLiteral("marked code")) + "\n!";
    QCOMPARE(f.nb.value(shown, "info").toString(), expected);
    for (qint64 id : {ids.folder, ids.art, ids.other, ids.marked})
        if (id != shown)
            QVERIFY(f.nb.value(id, "info").toString() != expected);
}

void TestEditing::bookmarkClickAsksFirst_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestEditing::bookmarkClickAsksFirst() {
    QFETCH(bool, yes);
    Ids ids;
    WindowFixture f(notebook(ids));
    f.clickFolderTree(ids.art);
    f.typeInCode(QStringLiteral("!"));
    f.boxes.answer(yes ? QMessageBox::Yes : QMessageBox::No);
    f.clickBookmarkTree(ids.marked);
    QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("当前内容有改动，是否要保存")});
    QCOMPARE(f.nb.value(ids.art, "info").toString(),
             yes ? QStringLiteral("code!") : QStringLiteral("code"));
    QCOMPARE(f.nb.value(ids.marked, "info").toString(), QStringLiteral("marked code"));
    QCOMPARE(f.w->SynMemo1->wholeText(), QStringLiteral("marked code"));
    QVERIFY(!f.pending(f.w->ToolButton4) && !f.pending(f.w->ToolButton9));
}

void TestEditing::closeAsksFirst_data() {
    bookmarkClickAsksFirst_data();
}

void TestEditing::closeAsksFirst() {
    QFETCH(bool, yes);
    Ids ids;
    WindowFixture f(notebook(ids));
    f.clickFolderTree(ids.art);
    f.typeInCode(QStringLiteral("!"));
    f.w->RichEdit1->setPlainText(QStringLiteral("n2"));
    f.boxes.answer(yes ? QMessageBox::Yes : QMessageBox::No);
    QVERIFY(f.w->close());
    QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("当前内容有改动，是否要保存")});
    QCOMPARE(f.boxes.asked.first().icon, QMessageBox::Question);
    const QVariantMap row = f.nb.row(ids.art);
    QCOMPARE(row.value("info").toString(), yes ? QStringLiteral("code!") : QStringLiteral("code"));
    QCOMPARE(row.value("Richinfo").toString(),
             yes ? QStringLiteral("n2") : QStringLiteral("notes"));
}

void TestEditing::saveOfDeletedArticleKeepsTheEdit() {
    Ids ids;
    WindowFixture f(notebook(ids));
    f.clickFolderTree(ids.other);
    f.typeInCode(QStringLiteral("!"));
    QVERIFY(f.dm->FDQuery1.locate(QStringLiteral("NodeId"), QString::number(ids.other)));
    f.dm->FDQuery1.deleteRow();
    const int rows = f.nb.rowCount();
    f.w->Synmemo1SaveExecute();
    QCOMPARE(f.boxes.asked.size(), 1);
    QCOMPARE(f.boxes.asked.first().caption, QStringLiteral("提示"));
    QVERIFY(f.pending(f.w->ToolButton4));
    QCOMPARE(f.w->SynMemo1->wholeText(), QStringLiteral("other code!"));
    QCOMPARE(f.nb.rowCount(), rows);
    for (qint64 id : {ids.folder, ids.art, ids.marked})
        QVERIFY(f.nb.value(id, "info").toString() != QStringLiteral("other code!"));
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
