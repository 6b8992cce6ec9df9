#include "TestNotebook.h"
#include "store/NoteColumns.h"
#include "store/UDM.h"
#include "ui/CodeEditor.h"
#include "ui/FolderListModel.h"
#include "ui/MsgBox.h"
#include "ui/UAdd.h"
#include "ui/UAddF.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

// Every box the dialogs ask for, answered with OK.
QList<MsgBox::Request> boxes;

QStringList boxTexts() {
    QStringList out;
    for (const auto &b : std::as_const(boxes))
        out << b.text;
    return out;
}

// The notebook every test starts from: two folders share a title, and the
// article sits in the second of them.
struct Fixture {
    TestNotebook nb;
    qint64 alpha = 0, same1 = 0, same2 = 0, article = 0;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<QWidget> owner;

    Fixture() {
        alpha = nb.addFolder(QStringLiteral("Alpha"));
        same1 = nb.addFolder(QStringLiteral("Same"));
        same2 = nb.addFolder(QStringLiteral("Same"));
        article = nb.addArticle(QStringLiteral("Art"), same2, QStringLiteral("code"),
                                QStringLiteral("demo"), QStringLiteral("notes"),
                                QStringLiteral("2024-03-05"), 4, 1);
        dm = std::make_unique<TDM>(nullptr, nb.path());
        owner = std::make_unique<QWidget>();
        owner->setGeometry(20, 20, 760, 740); // within the 800 x 800 offscreen screen
        owner->show();
    }

    // Shown like the main window shows them, with the keyboard in the dialog.
    TAdd *folderDialog(int tag, qint64 node) {
        auto *dlg = new TAdd(owner.get());
        dlg->nid = QString::number(node);
        dlg->Tag = tag;
        dlg->show();
        if (!QTest::qWaitForWindowActive(dlg))
            qWarning("folder dialog not active");
        return dlg;
    }
    TAddF *articleDialog(int tag, const QString &parentNid = {}, const QString &title = {}) {
        auto *dlg = new TAddF(owner.get());
        dlg->Tag = tag;
        dlg->parentNid = parentNid;
        dlg->id = title;
        if (tag == 1)
            dlg->nid = QString::number(article);
        dlg->show();
        if (!QTest::qWaitForWindowActive(dlg))
            qWarning("article dialog not active");
        return dlg;
    }
    QString pickerText(TAddF *dlg) const { return dlg->cxLookupComboBox1->currentText(); }
};

void click(QPushButton *b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void folderDialogWrites_data();
    void folderDialogWrites();
    void folderDialogRefuses_data();
    void folderDialogRefuses();
    void folderDialogLook();

    void articleDialogAdds_data();
    void articleDialogAdds();
    void continuousAddKeepsFolderAndClearsTexts();
    void articleDialogEdits_data();
    void articleDialogEdits();
    void articleDialogRefuses_data();
    void articleDialogRefuses();
    void articleDialogKeysAndFocus();
    void editorCommandsFollowActiveTab();

    void cancelAndKeysWriteNothing();
    void refusedWriteKeepsDialogOpen_data();
    void refusedWriteKeepsDialogOpen();
    void buttonCentring_data();
    void buttonCentring();
    void pickerFollowsFolderList();
    void dialogsGoWithTheirOwner();
};

void TestDialogs::init() {
    boxes.clear();
    MsgBox::setResponder([](const MsgBox::Request &r) {
        boxes << r;
        return QMessageBox::Ok;
    });
}

void TestDialogs::cleanup() {
    MsgBox::setResponder({});
}

// ---------------------------------------------------------------- folder dialog

void TestDialogs::folderDialogWrites_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<bool>("topLevel");
    QTest::addColumn<QString>("title");
    QTest::newRow("new under the folder") << 0 << false << "Sub";
    QTest::newRow("new at the top") << 0 << true << "Top";
    QTest::newRow("blanks are a title") << 0 << false << "   ";
    QTest::newRow("rename ignores top-level box") << 1 << true << " New name ";
}

void TestDialogs::folderDialogWrites() {
    QFETCH(int, tag);
    QFETCH(bool, topLevel);
    QFETCH(QString, title);
    Fixture fx;
    const int rowsBefore = fx.nb.rowCount();
    TAdd *dlg = fx.folderDialog(tag, fx.same1);
    QTest::keyClicks(dlg->cxTextEdit1, title);
    dlg->CheckBox1->setChecked(topLevel);
    click(dlg->cxButton1);

    QVERIFY(boxes.isEmpty());
    QVERIFY(!dlg->isVisible());
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    if (tag == 1) {
        QCOMPARE(fx.nb.rowCount(), rowsBefore);
        const QVariantMap row = fx.nb.row(fx.same1);
        QCOMPARE(row.value("Title").toString(), title);
        QCOMPARE(row.value("ParentId").toLongLong(), 0);
        QCOMPARE(row.value("type").toInt(), 0);
        return;
    }
    QCOMPARE(fx.nb.rowCount(), rowsBefore + 1);
    const qint64 id = fx.dm->FDQuery1.fieldInt(NoteColumns::NodeId);
    const QVariantMap row = fx.nb.row(id);
    QCOMPARE(row.value("Title").toString(), title);
    QCOMPARE(row.value("ParentId").toLongLong(), topLevel ? 0 : fx.same1);
    QCOMPARE(row.value("type").toInt(), 0);
    QVERIFY(fx.dm->FDMemFenLei.locate(NoteColumns::NodeId, QString::number(id)));
}

void TestDialogs::folderDialogRefuses_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("deleteFirst");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focusAfter");
    QTest::newRow("new, empty title") << 0 << "" << false << "目录标题不能为空"
                                      << "cxTextEdit1";
    QTest::newRow("rename, empty title") << 1 << "" << false << "目录标题不能为空"
                                         << "cxButton1";
    QTest::newRow("rename, folder gone") << 1 << "X" << true << "该目录已不存在，无法保存"
                                         << "cxButton1";
    QTest::newRow("unknown mode") << 7 << "X" << false << ""
                                  << "cxButton1";
}

void TestDialogs::folderDialogRefuses() {
    QFETCH(int, tag);
    QFETCH(QString, title);
    QFETCH(bool, deleteFirst);
    QFETCH(QString, message);
    QFETCH(QString, focusAfter);
    Fixture fx;
    if (deleteFirst) {
        QVERIFY(fx.dm->FDQuery1.locate(NoteColumns::NodeId, QString::number(fx.alpha)));
        fx.dm->FDQuery1.deleteRow();
    }
    const int rowsBefore = fx.nb.rowCount();
    TAdd *dlg = fx.folderDialog(tag, fx.alpha);
    dlg->cxTextEdit1->setText(title);
    dlg->cxButton1->setFocus();
    click(dlg->cxButton1);

    QCOMPARE(boxTexts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!boxes.isEmpty()) {
        QCOMPARE(boxes.first().caption, QStringLiteral("提示"));
        QCOMPARE(boxes.first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(boxes.first().icon, QMessageBox::NoIcon);
    }
    QVERIFY(dlg->isVisible());
    QCOMPARE(QApplication::focusWidget()->objectName(), focusAfter);
    QCOMPARE(fx.nb.rowCount(), rowsBefore);
    if (!deleteFirst)
        QCOMPARE(fx.nb.value(fx.alpha, "Title").toString(), QStringLiteral("Alpha"));
    QCOMPARE(dlg->cxTextEdit1->text(), title);
}

void TestDialogs::folderDialogLook() {
    Fixture fx;
    TAdd *dlg = fx.folderDialog(0, fx.alpha);
    QCOMPARE(dlg->objectName(), QStringLiteral("Add"));
    QCOMPARE(dlg->windowTitle(), QStringLiteral("新建目录"));
    QCOMPARE(dlg->size(), QSize(334, 191));
    QCOMPARE(dlg->Panel1->text(), QStringLiteral("    新建节点的默认语法高亮与父节点相同"));
    QVERIFY(!dlg->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!dlg->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!dlg->CheckBox1->isChecked());
    // Centred over the main window.
    QVERIFY((dlg->geometry().center() - fx.owner->geometry().center()).manhattanLength() <= 4);
    // Keyboard: title box first, then OK, Cancel and the top-level box.
    QCOMPARE(QApplication::focusWidget(), dlg->cxTextEdit1);
    QStringList chain;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        chain << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(chain, (QStringList{"cxButton1", "cxButton2", "CheckBox1", "cxTextEdit1"}));
}

// ---------------------------------------------------------------- article dialog

void TestDialogs::articleDialogAdds_data() {
    QTest::addColumn<bool>("topLevel");
    QTest::addColumn<QString>("title");
    QTest::newRow("in the picked folder") << false << "New";
    QTest::newRow("at the top") << true << "New";
    QTest::newRow("blanks are a title") << false << "  ";
}

void TestDialogs::articleDialogAdds() {
    QFETCH(bool, topLevel);
    QFETCH(QString, title);
    Fixture fx;
    const int rowsBefore = fx.nb.rowCount();
    QPointer<TAddF> dlg = fx.articleDialog(0, QString::number(fx.same2), QStringLiteral("Same"));
    QCOMPARE(fx.pickerText(dlg), QStringLiteral("Same"));
    QTest::keyClicks(dlg->cxTextEdit1, title);
    dlg->CheckBox1->setChecked(topLevel);
    dlg->RichEdit1->setPlainText(QStringLiteral("说明"));
    dlg->SynMemo1->setWholeText(QStringLiteral("begin\nend;"));
    dlg->SynMemo2->setWholeText(QStringLiteral("demo()"));
    click(dlg->cxButton1);

    QVERIFY(boxes.isEmpty());
    QTRY_VERIFY(dlg.isNull());
    QCOMPARE(fx.nb.rowCount(), rowsBefore + 1);
    const QVariantMap row = fx.nb.row(fx.dm->FDQuery1.fieldInt(NoteColumns::NodeId));
    QCOMPARE(row.value("Title").toString(), title);
    QCOMPARE(row.value("ParentId").toLongLong(), topLevel ? 0 : fx.same2);
    QCOMPARE(row.value("Richinfo").toString(), QStringLiteral("说明"));
    QCOMPARE(row.value("info").toString(), QStringLiteral("begin\nend;"));
    QCOMPARE(row.value("Demoinfo").toString(), QStringLiteral("demo()"));
    QCOMPARE(row.value("CreateTime").toString(), QDate::currentDate().toString("yyyy-MM-dd"));
    QCOMPARE(row.value("type").toInt(), 1);
}

void TestDialogs::continuousAddKeepsFolderAndClearsTexts() {
    Fixture fx;
    QPointer<TAddF> dlg = fx.articleDialog(0, QString::number(fx.alpha));
    dlg->CheckBox2->setChecked(true);
    dlg->scGPPageControl1->setCurrentWidget(dlg->scGPPageControlPage5);
    const qint64 firstBefore = fx.nb.rowCount();
    for (const QString &title : {QStringLiteral("One"), QStringLiteral("Two")}) {
        dlg->cxTextEdit1->setText(title);
        dlg->RichEdit1->setPlainText(title + QStringLiteral(" notes"));
        dlg->SynMemo1->setWholeText(title + QStringLiteral(" code"));
        dlg->SynMemo2->setWholeText(title + QStringLiteral(" demo"));
        click(dlg->cxButton1);
        QVERIFY(!dlg.isNull());
        QVERIFY(dlg->isVisible());
        QVERIFY(dlg->cxTextEdit1->text().isEmpty());
        QVERIFY(dlg->RichEdit1->toPlainText().isEmpty());
        QVERIFY(dlg->SynMemo1->wholeText().isEmpty());
        QVERIFY(dlg->SynMemo2->wholeText().isEmpty());
        QCOMPARE(fx.pickerText(dlg), QStringLiteral("Alpha"));
        QVERIFY(!dlg->CheckBox1->isChecked());
        QVERIFY(dlg->CheckBox2->isChecked());
        QVERIFY(dlg->CheckBox3->isChecked());
        QCOMPARE(dlg->scGPPageControl1->currentWidget(), dlg->scGPPageControlPage5);
        QCOMPARE(QApplication::focusWidget(), dlg->cxTextEdit1);
        const QVariantMap row = fx.nb.row(fx.dm->FDQuery1.fieldInt(NoteColumns::NodeId));
        QCOMPARE(row.value("Title").toString(), title);
        QCOMPARE(row.value("ParentId").toLongLong(), fx.alpha);
        QCOMPARE(row.value("info").toString(), title + " code");
        QCOMPARE(row.value("Demoinfo").toString(), title + " demo");
        QCOMPARE(row.value("Richinfo").toString(), title + " notes");
    }
    QCOMPARE(fx.nb.rowCount(), firstBefore + 2);
    QVERIFY(boxes.isEmpty());
}

void TestDialogs::articleDialogEdits_data() {
    QTest::addColumn<QString>("parentNid"); // "s1"/"s2" name the two "Same" folders
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("shownRow");        // in the picker; folders in record-set order
    QTest::addColumn<QString>("parentAfter"); // "s1", "s2"
    QTest::newRow("key wins over a shared title") << "s2"
                                                  << "Same" << 2 << "s2";
    QTest::newRow("by title alone: the first of that title") << ""
                                                             << "Same" << 1 << "s1";
    QTest::newRow("no folder shown keeps the folder") << ""
                                                      << "" << -1 << "s2";
    QTest::newRow("top-level article shows none") << "0"
                                                  << "Same" << -1 << "s2";
    QTest::newRow("unknown key shows none") << "99999"
                                            << "Alpha" << -1 << "s2";
}

void TestDialogs::articleDialogEdits() {
    QFETCH(QString, parentNid);
    QFETCH(QString, title);
    QFETCH(int, shownRow);
    QFETCH(QString, parentAfter);
    Fixture fx;
    auto key = [&](const QString &s) {
        return s == "s1" ? QString::number(fx.same1) : s == "s2" ? QString::number(fx.same2) : s;
    };
    const int rowsBefore = fx.nb.rowCount();
    QPointer<TAddF> dlg = fx.articleDialog(1, key(parentNid), title);
    QCOMPARE(dlg->cxLookupComboBox1->currentIndex(), shownRow);
    dlg->cxTextEdit1->setText(QStringLiteral("Renamed"));
    dlg->RichEdit1->setPlainText(QStringLiteral("n2"));
    dlg->SynMemo1->setWholeText(QStringLiteral("c2"));
    dlg->SynMemo2->setWholeText(QStringLiteral("d2"));
    dlg->CheckBox1->setChecked(true); // neither box counts when editing
    dlg->CheckBox2->setChecked(true);
    click(dlg->cxButton1);

    QVERIFY(boxes.isEmpty());
    QTRY_VERIFY(dlg.isNull());
    QCOMPARE(fx.nb.rowCount(), rowsBefore);
    const QVariantMap row = fx.nb.row(fx.article);
    QCOMPARE(row.value("ParentId").toString(), key(parentAfter));
    QCOMPARE(row.value("Title").toString(), QStringLiteral("Renamed"));
    QCOMPARE(row.value("Richinfo").toString(), QStringLiteral("n2"));
    QCOMPARE(row.value("info").toString(), QStringLiteral("c2"));
    QCOMPARE(row.value("Demoinfo").toString(), QStringLiteral("d2"));
    QCOMPARE(row.value("CreateTime").toString(), QStringLiteral("2024-03-05"));
    QCOMPARE(row.value("type").toInt(), 1);
    QCOMPARE(row.value("Read").toInt(), 4);
    QCOMPARE(row.value("shuqian").toInt(), 1);
}

void TestDialogs::articleDialogRefuses_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("pickFolder");
    QTest::addColumn<bool>("deleteFirst");
    QTest::addColumn<QString>("message");
    QTest::newRow("new, empty title") << 0 << "" << true << false << "文章标题不能为空";
    QTest::newRow("edit, empty title") << 1 << "" << true << false << "文章标题不能为空";
    QTest::newRow("new, no folder") << 0 << "T" << false << false << "请选择文章所属的分类";
    QTest::newRow("edit, article gone") << 1 << "T" << true << true << "该文章已被删除，无法保存";
    QTest::newRow("unknown mode") << 3 << "T" << true << false << "";
}

void TestDialogs::articleDialogRefuses() {
    QFETCH(int, tag);
    QFETCH(QString, title);
    QFETCH(bool, pickFolder);
    QFETCH(bool, deleteFirst);
    QFETCH(QString, message);
    Fixture fx;
    QPointer<TAddF> dlg = fx.articleDialog(tag, pickFolder ? QString::number(fx.alpha) : QString());
    if (deleteFirst) {
        QVERIFY(fx.dm->FDQuery1.locate(NoteColumns::NodeId, QString::number(fx.article)));
        fx.dm->FDQuery1.deleteRow();
    }
    const int rowsBefore = fx.nb.rowCount();
    const QVariantMap articleBefore = fx.nb.row(fx.article);
    dlg->cxTextEdit1->setText(title);
    dlg->SynMemo1->setWholeText(QStringLiteral("kept"));
    dlg->cxButton1->setFocus();
    click(dlg->cxButton1);

    QCOMPARE(boxTexts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!boxes.isEmpty()) {
        QCOMPARE(boxes.first().caption, QStringLiteral("提示"));
        QCOMPARE(boxes.first().icon, QMessageBox::NoIcon);
    }
    QTest::qWait(0);
    QVERIFY(!dlg.isNull());
    QVERIFY(dlg->isVisible());
    QCOMPARE(QApplication::focusWidget(), dlg->cxButton1);
    QCOMPARE(fx.nb.rowCount(), rowsBefore);
    QCOMPARE(fx.nb.row(fx.article), articleBefore);
    QCOMPARE(dlg->cxTextEdit1->text(), title);
    QCOMPARE(dlg->SynMemo1->wholeText(), QStringLiteral("kept"));
}

void TestDialogs::articleDialogKeysAndFocus() {
    Fixture fx;
    QPointer<TAddF> dlg = fx.articleDialog(0, QString::number(fx.alpha));
    QCOMPARE(dlg->objectName(), QStringLiteral("AddF"));
    QCOMPARE(dlg->windowTitle(), QStringLiteral("新建文章"));
    QCOMPARE(dlg->parentWidget(), nullptr);
    QCOMPARE(dlg->size(), QSize(548, 561));
    QVERIFY((dlg->geometry().center() - fx.owner->geometry().center()).manhattanLength() <= 4);
    QCOMPARE(dlg->scGPPageControl1->currentWidget(), dlg->scGPPageControlPage4);
    QCOMPARE(QApplication::focusWidget(), dlg->cxTextEdit1);

    // Tab walks from the picker to the shown editor, where it indents; from
    // OK on to the check boxes; Shift+Tab from OK goes back to the shown editor.
    auto tabsFrom = [](QWidget *start, int count, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        start->setFocus();
        QStringList chain;
        for (int i = 0; i < count; ++i) {
            QTest::keyClick(start->window()->focusWidget(), Qt::Key_Tab, mods);
            QWidget *now = QApplication::focusWidget();
            chain << (now ? now->objectName() : QStringLiteral("<none>"));
        }
        return chain;
    };
    QCOMPARE(tabsFrom(dlg->cxLookupComboBox1, 5),
             (QStringList{"cxTextEdit1", "CheckBox1", "RichEdit1", "SynMemo1", "SynMemo1"}));
    QVERIFY(dlg->SynMemo1->wholeText().startsWith(QStringLiteral("  ")));
    QCOMPARE(tabsFrom(dlg->cxButton1, 3), (QStringList{"cxButton2", "CheckBox2", "CheckBox3"}));
    QCOMPARE(tabsFrom(dlg->cxButton1, 1, Qt::ShiftModifier), QStringList{"SynMemo1"});
    dlg->scGPPageControl1->setCurrentWidget(dlg->scGPPageControlPage5);
    QCOMPARE(tabsFrom(dlg->cxButton1, 1, Qt::ShiftModifier), QStringList{"SynMemo2"});

    // Neither Esc nor Enter closes or saves.
    const int rowsBefore = fx.nb.rowCount();
    dlg->cxTextEdit1->setText(QStringLiteral("T"));
    QTest::keyClick(dlg->cxTextEdit1, Qt::Key_Return);
    QTest::keyClick(dlg->cxTextEdit1, Qt::Key_Escape);
    QTest::qWait(0);
    QVERIFY(!dlg.isNull() && dlg->isVisible());
    QCOMPARE(fx.nb.rowCount(), rowsBefore);

    // Shown on top from the start; the box takes it back without closing.
    QVERIFY(dlg->CheckBox3->isChecked());
    QVERIFY(dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    dlg->CheckBox3->setChecked(false);
    QVERIFY(!dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(dlg->isVisible());
    dlg->CheckBox3->setChecked(true);
    QVERIFY(dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(dlg->isVisible());
}

void TestDialogs::editorCommandsFollowActiveTab() {
    Fixture fx;
    QPointer<TAddF> dlg = fx.articleDialog(0, QString::number(fx.alpha));
    dlg->SynMemo1->setWholeText(QStringLiteral("a\n\nb"));
    dlg->SynMemo2->setWholeText(QStringLiteral("x\n \ny"));
    QVERIFY(!dlg->Save->isEnabled());
    QVERIFY(!dlg->ToolButton4->isEnabled());

    // The first bar's button acts on the second editor once its tab is shown.
    dlg->scGPPageControl1->setCurrentWidget(dlg->scGPPageControlPage5);
    dlg->DelToclip->trigger();
    QCOMPARE(dlg->SynMemo2->wholeText(), QStringLiteral("x\ny"));
    QCOMPARE(dlg->SynMemo1->wholeText(), QStringLiteral("a\n\nb"));
    QTest::mouseClick(dlg->ToolButton10, Qt::LeftButton);
    dlg->scGPPageControl1->setCurrentWidget(dlg->scGPPageControlPage4);
    QTest::mouseClick(dlg->ToolButton5, Qt::LeftButton);
    QCOMPARE(dlg->SynMemo1->wholeText(), QStringLiteral("a\nb"));

    // Copy and paste go through the clipboard from and into the shown editor.
    dlg->SynMemo1->selectAll();
    QTest::mouseClick(dlg->ToolButton2, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a\nb"));
    dlg->scGPPageControl1->setCurrentWidget(dlg->scGPPageControlPage5);
    dlg->SynMemo2->selectAll();
    dlg->PasteFrom->trigger();
    QCOMPARE(dlg->SynMemo2->wholeText(), QStringLiteral("a\nb"));
    dlg->SynMemo2->selectAll();
    dlg->CutToClip->trigger();
    QVERIFY(dlg->SynMemo2->wholeText().isEmpty());
    QCOMPARE(dlg->SynMemo1->wholeText(), QStringLiteral("a\nb"));
    QCOMPARE(fx.nb.row(fx.article).value("info").toString(), QStringLiteral("code"));
}

// ---------------------------------------------------------------- both dialogs

void TestDialogs::cancelAndKeysWriteNothing() {
    Fixture fx;
    const int rowsBefore = fx.nb.rowCount();
    TAdd *folder = fx.folderDialog(0, fx.alpha);
    QTest::keyClicks(folder->cxTextEdit1, QStringLiteral("F"));
    QTest::keyClick(folder->cxTextEdit1, Qt::Key_Return);
    QTest::keyClick(folder->cxTextEdit1, Qt::Key_Escape);
    QVERIFY(folder->isVisible());
    click(folder->cxButton2);
    QVERIFY(!folder->isVisible());
    QCOMPARE(folder->result(), int(QDialog::Rejected));

    TAdd *rename = fx.folderDialog(1, fx.alpha);
    rename->cxTextEdit1->setText(QStringLiteral("R"));
    QVERIFY(rename->close()); // the title bar's close button
    QVERIFY(!rename->isVisible());

    QPointer<TAddF> article = fx.articleDialog(0, QString::number(fx.alpha));
    article->cxTextEdit1->setText(QStringLiteral("A"));
    click(article->cxButton2);
    QTRY_VERIFY(article.isNull());
    QPointer<TAddF> edit = fx.articleDialog(1, QString::number(fx.same2));
    edit->cxTextEdit1->setText(QStringLiteral("E"));
    QVERIFY(edit->close());
    QTRY_VERIFY(edit.isNull());

    QCOMPARE(fx.nb.rowCount(), rowsBefore);
    QCOMPARE(fx.nb.value(fx.alpha, "Title").toString(), QStringLiteral("Alpha"));
    QCOMPARE(fx.nb.value(fx.article, "Title").toString(), QStringLiteral("Art"));
    QVERIFY(boxes.isEmpty());
}

void TestDialogs::refusedWriteKeepsDialogOpen_data() {
    QTest::addColumn<bool>("article");
    QTest::addColumn<int>("tag");
    QTest::newRow("new folder") << false << 0;
    QTest::newRow("rename folder") << false << 1;
    QTest::newRow("new article") << true << 0;
    QTest::newRow("edit article") << true << 1;
}

void TestDialogs::refusedWriteKeepsDialogOpen() {
    QFETCH(bool, article);
    QFETCH(int, tag);
    Fixture fx;
    QWidget *dlg = nullptr;
    QLineEdit *title = nullptr;
    QPushButton *ok = nullptr;
    if (article) {
        auto *a = fx.articleDialog(tag, QString::number(fx.alpha));
        a->SynMemo1->setWholeText(QStringLiteral("typed code"));
        dlg = a, title = a->cxTextEdit1, ok = a->cxButton1;
    } else {
        auto *f = fx.folderDialog(tag, fx.alpha);
        dlg = f, title = f->cxTextEdit1, ok = f->cxButton1;
    }
    QPointer<QWidget> alive(dlg);
    title->setText(QStringLiteral("Refused"));
    const int rowsBefore = fx.nb.rowCount();
    fx.nb.refuseWrites();
    click(ok);

    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().icon, QMessageBox::Critical);
    QVERIFY2(boxes.first().text.contains(QStringLiteral("refused by test")),
             qPrintable(boxes.first().text));
    QTest::qWait(0);
    QVERIFY(!alive.isNull());
    QVERIFY(dlg->isVisible());
    QCOMPARE(title->text(), QStringLiteral("Refused"));
    if (auto *a = qobject_cast<TAddF *>(dlg))
        QCOMPARE(a->SynMemo1->wholeText(), QStringLiteral("typed code"));
    QCOMPARE(fx.nb.rowCount(), rowsBefore);
    QCOMPARE(fx.dm->FDQuery1.state(), NoteQuery::State::Browse);

    // Once the file takes writes again, the same press stores the row.
    for (const char *op : {"INSERT", "UPDATE", "DELETE"})
        fx.nb.exec(QStringLiteral("DROP TRIGGER refuse_%1").arg(QLatin1String(op)));
    boxes.clear();
    click(ok);
    QVERIFY(boxes.isEmpty());
    QTRY_VERIFY(alive.isNull() || !alive->isVisible());
    const qint64 written = tag == 0 ? fx.dm->FDQuery1.fieldInt(NoteColumns::NodeId)
                                    : (article ? fx.article : fx.alpha);
    QCOMPARE(fx.nb.value(written, "Title").toString(), QStringLiteral("Refused"));
}

void TestDialogs::buttonCentring_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("ok");
    QTest::addColumn<int>("cancel");
    QTest::newRow("framed window") << 564 << 194 << 294;
    QTest::newRow("halves go to even, down") << 548 << 186 << 286;
    QTest::newRow("halves go to even, up") << 550 << 188 << 288; // 187.5, 287.5
}

void TestDialogs::buttonCentring() {
    QFETCH(int, width);
    QFETCH(int, ok);
    QFETCH(int, cancel);
    QCOMPARE(TAddF::centredButtonLefts(width, 75, 75), std::make_pair(ok, cancel));
    Fixture fx;
    QPointer<TAddF> dlg = fx.articleDialog(0);
    dlg->FormCanResize(width);
    QCOMPARE(dlg->cxButton1->x(), ok);
    QCOMPARE(dlg->cxButton2->x(), cancel);
}

// A folder written while the picker is open shows up in it; the picker's
// choice is a key that survives inserts, removals and re-reads, and it never
// chooses a folder by itself.
void TestDialogs::pickerFollowsFolderList() {
    Fixture fx;
    QPointer<TAddF> dlg = fx.articleDialog(0, QString::number(fx.same2));
    QAbstractItemModelTester tester(dlg->folderModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    QComboBox *picker = dlg->cxLookupComboBox1;
    QCOMPARE(picker->count(), 3);

    TAdd *folder = fx.folderDialog(0, fx.alpha);
    folder->cxTextEdit1->setText(QStringLiteral("Fresh"));
    click(folder->cxButton1);
    const qint64 fresh = fx.dm->FDQuery1.fieldInt(NoteColumns::NodeId);
    QCOMPARE(picker->count(), 4);
    QCOMPARE(picker->itemText(3), QStringLiteral("Fresh"));
    QCOMPARE(picker->itemData(3).toLongLong(), fresh);
    QCOMPARE(dlg->pickedFolder(), fx.same2);

    NoteQuery &q = fx.dm->FDQuery1;
    QVERIFY(q.locate(NoteColumns::NodeId, QString::number(fx.same2)));
    q.edit();
    q.setField(NoteColumns::Title, QStringLiteral("Renamed"));
    q.post();
    QCOMPARE(picker->currentText(), QStringLiteral("Renamed"));

    fx.dm->GetData(); // a re-read from the file
    QCOMPARE(picker->count(), 4);
    QCOMPARE(dlg->pickedFolder(), fx.same2);

    QVERIFY(q.locate(NoteColumns::NodeId, QString::number(fx.same2)));
    q.deleteRow();
    QCOMPARE(picker->count(), 3);
    QCOMPARE(picker->currentIndex(), -1);
    QCOMPARE(dlg->pickedFolder(), 0);

    // An empty list that gains a folder still shows none chosen.
    for (qint64 id : {fx.alpha, fx.same1, fresh}) {
        QVERIFY(q.locate(NoteColumns::NodeId, QString::number(id)));
        q.deleteRow();
    }
    QCOMPARE(picker->count(), 0);
    q.append();
    q.setField(NoteColumns::Title, QStringLiteral("Only"));
    q.setField(NoteColumns::ParentId, 0);
    q.setField(NoteColumns::Type, 0);
    q.post();
    QCOMPARE(picker->count(), 1);
    QCOMPARE(picker->currentIndex(), -1);
}

void TestDialogs::dialogsGoWithTheirOwner() {
    Fixture fx;
    auto *owner = new QWidget;
    QPointer<TAddF> first = new TAddF(owner);
    QPointer<TAddF> second = new TAddF(owner);
    QPointer<TAddF> other = new TAddF(fx.owner.get());
    for (TAddF *d : {first.data(), second.data(), other.data()})
        d->show();
    QCOMPARE(TAddF::openFor(owner).size(), 2);
    delete owner;
    QVERIFY(first.isNull());
    QVERIFY(second.isNull());
    QVERIFY(!other.isNull());
    TAddF::closeAllFor(fx.owner.get());
    QVERIFY(other.isNull());
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
