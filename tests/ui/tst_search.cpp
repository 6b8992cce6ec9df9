#include "WindowFixture.h"
#include "store/NoteColumns.h"
#include "ui/CodeEditor.h"
#include "ui/NoteTreeModel.h"
#include "ui/NoteTreeView.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

namespace {
// Titles that differ in letter case, wildcard characters, a quote, an emoji
// and a full-width blank, in two folders, one of them nested.
void searchNotebook(TestNotebook &nb) {
    const qint64 lib = nb.addFolder(QStringLiteral("Lib"));
    nb.addArticle(QStringLiteral("abc"), lib);
    nb.addArticle(QStringLiteral("ABC"), lib);
    const qint64 deep = nb.addFolder(QStringLiteral("Deep"), lib);
    nb.addArticle(QStringLiteral("Abc"), deep);
    nb.addArticle(QStringLiteral("ac"), deep);
    nb.addArticle(QStringLiteral("a-c"), lib);
    const qint64 misc = nb.addFolder(QStringLiteral("Misc"));
    for (const char *title : {"it's", "x100y", "1000", "10-0", "abbc", "😀emoji", "全角　abc"})
        nb.addArticle(QString::fromUtf8(title), misc);
}

const QString WholeTree = QStringLiteral(
    "Lib(abc ABC Deep(Abc ac) a-c) Misc(it's x100y 1000 10-0 abbc 😀emoji 全角　abc)");

QAction *clearButton(WindowFixture &f) {
    for (QAction *a : f.w->scGPEdit1->actions())
        if (a->objectName() == QStringLiteral("scGPEdit1RightButton"))
            return a;
    return nullptr;
}

struct Marks {
    qint64 folder = 0, first = 0, second = 0, marked = 0;
};

// One folder of three articles; the last one is bookmarked from the start.
std::function<void(TestNotebook &)> bookmarkNotebook(Marks &m) {
    return [&m](TestNotebook &nb) {
        m.folder = nb.addFolder(QStringLiteral("Folder"));
        m.first = nb.addArticle(QStringLiteral("First"), m.folder);
        m.second = nb.addArticle(QStringLiteral("Second"), m.folder);
        m.marked = nb.addArticle(QStringLiteral("Marked"), m.folder, {}, {}, {},
                                 QStringLiteral("2024-03-05"), 0, 1);
    };
}

// The shuqian column of the four rows; -1 for a row no longer in the file.
QList<int> bookmarkFlags(WindowFixture &f, const Marks &m) {
    QList<int> out;
    for (qint64 id : {m.folder, m.first, m.second, m.marked})
        out << (f.nb.row(id).isEmpty() ? -1 : f.nb.value(id, QStringLiteral("shuqian")).toInt());
    return out;
}
} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void keywordFiltersTheFolderTree_data();
    void keywordFiltersTheFolderTree();
    void deletingCharactersWidensTheSearch();
    void typingShowsTheFolderPage_data();
    void typingShowsTheFolderPage();
    void f2OnlyMovesTheFocus_data();
    void f2OnlyMovesTheFocus();

    void addRemoveAndAddABookmark();
    void removeOnEmptyBookmarkListDoesNothing();
    void bookmarkCommandOnMissingRow_data();
    void bookmarkCommandOnMissingRow();
    void bookmarkListFollowsTheNotebook_data();
    void bookmarkListFollowsTheNotebook();
};

// Every keyword, however odd, filters without a message; the clear button
// brings back the whole tree, rows back under their folders.
void TestSearch::keywordFiltersTheFolderTree_data() {
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("tree");
    const QString abc = QStringLiteral("abc ABC Abc 全角　abc");
    QTest::newRow("any letter case") << "Abc" << abc;
    QTest::newRow("blanks around") << "  abc  " << abc;
    QTest::newRow("control characters around")
        << QString(u'\t') + QChar(0x01) + QStringLiteral("abc") + QChar(0x1f) + u' ' << abc;
    QTest::newRow("full-width blank is kept") << "　abc"
                                              << "全角　abc";
    QTest::newRow("blanks only") << "   " << WholeTree;
    QTest::newRow("folder and its rows match") << "i"
                                               << "Lib Misc(it's 😀emoji)";
    QTest::newRow("folder alone matches") << "eep"
                                          << "Deep";
    QTest::newRow("underscore is one character") << "a_c"
                                                 << "abc ABC Abc a-c 全角　abc";
    QTest::newRow("percent is any run") << "100%"
                                        << "x100y 1000";
    QTest::newRow("percent alone") << "%" << WholeTree;
    QTest::newRow("quote") << "it's"
                           << "it's";
    QTest::newRow("lone quotes") << "''"
                                 << "";
    QTest::newRow("double quote and backslash") << "\"\\"
                                                << "";
    QTest::newRow("bracket") << "[a-c]"
                             << "";
    QTest::newRow("emoji") << "😀"
                           << "😀emoji";
    QTest::newRow("no match") << "zzz"
                              << "";
    QTest::newRow("10 000 characters") << QString(10000, u'x') << "";
}

void TestSearch::keywordFiltersTheFolderTree() {
    QFETCH(QString, keyword);
    QFETCH(QString, tree);
    WindowFixture f(searchNotebook);
    f.w->FullExExecute();
    f.w->scGPEdit1->setText(keyword);
    QCOMPARE(f.folderTree(), tree);
    QCOMPARE(f.w->scGPPageControl2->currentWidget(), f.w->scGPPageControlPage4);

    QAction *clear = clearButton(f);
    QVERIFY(clear);
    clear->trigger();
    QCOMPARE(f.w->scGPEdit1->text(), QString());
    QCOMPARE(f.folderTree(), WholeTree);
    QVERIFY2(f.boxes.asked.isEmpty(), qPrintable(f.boxes.texts().join(u'|')));
}

void TestSearch::deletingCharactersWidensTheSearch() {
    WindowFixture f(searchNotebook);
    f.type(f.w->scGPEdit1, QStringLiteral("a-c"));
    QCOMPARE(f.folderTree(), QStringLiteral("a-c"));
    const QStringList widening = {QStringLiteral("a-c"), // "a-" still only matches a-c
                                  QStringLiteral("abc ABC Abc ac a-c abbc 全角　abc"), WholeTree};
    for (const QString &expected : widening) {
        QTest::keyClick(f.w->scGPEdit1, Qt::Key_Backspace);
        QCOMPARE(f.folderTree(), expected);
    }
    QCOMPARE(f.w->scGPEdit1->text(), QString());
    QVERIFY(f.boxes.asked.isEmpty());
}

void TestSearch::typingShowsTheFolderPage_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("unreadable"); // the notebook could not be opened
    QTest::newRow("a keyword") << "b" << false;
    QTest::newRow("a blank") << " " << false;
    // Without a notebook the search does nothing at all, the page included.
    QTest::newRow("notebook not opened") << "b" << true;
}

void TestSearch::typingShowsTheFolderPage() {
    QFETCH(QString, typed);
    QFETCH(bool, unreadable);
    WindowFixture f([&](TestNotebook &nb) {
        searchNotebook(nb);
        if (unreadable)
            nb.exec(QStringLiteral("DROP TABLE delphi"));
    });
    f.closeNotices();
    f.w->scGPPageControl2->setCurrentWidget(f.w->scGPPageControlPage5);
    QVERIFY(f.w->Panel3->isHidden());
    f.type(f.w->scGPEdit1, typed);
    QWidget *expected = unreadable ? f.w->scGPPageControlPage5 : f.w->scGPPageControlPage4;
    QCOMPARE(f.w->scGPPageControl2->currentWidget(), expected);
    QCOMPARE(f.w->Panel3->isHidden(), unreadable); // the page change ran its handler too
    QVERIFY(f.boxes.asked.isEmpty());
}

void TestSearch::f2OnlyMovesTheFocus_data() {
    QTest::addColumn<QString>("editor");
    QTest::newRow("code") << "SynMemo1";
    QTest::newRow("example") << "SynMemo2";
    QTest::newRow("notes") << "RichEdit1";
    QTest::newRow("title") << "cxTextEdit1";
}

void TestSearch::f2OnlyMovesTheFocus() {
    QFETCH(QString, editor);
    qint64 article = 0;
    WindowFixture f([&](TestNotebook &nb) {
        searchNotebook(nb);
        article = nb.addArticle(QStringLiteral("Shown"), 0, QStringLiteral("code"),
                                QStringLiteral("demo"), QStringLiteral("notes"));
    });
    f.clickFolderTree(article);
    f.w->scGPEdit1->setText(QStringLiteral("Sho"));
    const QString tree = f.folderTree();
    if (editor == QStringLiteral("SynMemo2"))
        f.w->scGPPageControl1->setCurrentWidget(f.w->scGPPageControlPage3);
    if (editor == QStringLiteral("RichEdit1"))
        f.w->scGPPageControl1->setCurrentWidget(f.w->scGPPageControlPage1);
    const QWidget *page = f.w->scGPPageControl1->currentWidget();
    f.w->activateWindow();
    auto *target = f.w->findChild<QWidget *>(editor);
    target->setFocus();
    QCOMPARE(QApplication::focusWidget(), target);

    QTest::keyClick(target, Qt::Key_F2);
    QCOMPARE(QApplication::focusWidget(), f.w->scGPEdit1);
    QCOMPARE(f.w->scGPEdit1->text(), QStringLiteral("Sho"));
    QCOMPARE(f.folderTree(), tree);
    QCOMPARE(f.w->scGPPageControl1->currentWidget(), page);
    QCOMPARE(f.w->cxTextEdit1->text(), QStringLiteral("Shown"));
    QCOMPARE(f.w->SynMemo1->wholeText(), QStringLiteral("code"));
    QCOMPARE(f.w->SynMemo2->wholeText(), QStringLiteral("demo"));
    QCOMPARE(f.w->RichEdit1->toPlainText(), QStringLiteral("notes"));
    QVERIFY(!f.w->editPending());
    QVERIFY(f.boxes.asked.isEmpty());
}

// ---------------------------------------------------------------- bookmarks

void TestSearch::addRemoveAndAddABookmark() {
    Marks m;
    WindowFixture f(bookmarkNotebook(m));
    QCOMPARE(f.bookmarkTree(), QStringLiteral("Marked"));

    f.clickFolderTree(m.first);
    f.w->ShuQian->trigger();
    QCOMPARE(bookmarkFlags(f, m), (QList<int>{0, 1, 0, 1}));
    QCOMPARE(f.bookmarkTree(), QStringLiteral("First Marked"));

    // The removal takes the bookmark list's current row, not its first.
    f.clickBookmarkTree(m.marked);
    f.w->ShuQianDel->trigger();
    QCOMPARE(bookmarkFlags(f, m), (QList<int>{0, 1, 0, 0}));
    QCOMPARE(f.bookmarkTree(), QStringLiteral("First"));
    f.clickBookmarkTree(m.first);
    f.w->ShuQianDel->trigger();
    QCOMPARE(bookmarkFlags(f, m), (QList<int>{0, 0, 0, 0}));
    QCOMPARE(f.bookmarkTree(), QString());
    QCOMPARE(f.folderTree(), QStringLiteral("Folder(First Second Marked)"));

    f.clickFolderTree(m.first);
    f.w->ShuQian->trigger();
    QCOMPARE(bookmarkFlags(f, m), (QList<int>{0, 1, 0, 0}));
    QCOMPARE(f.bookmarkTree(), QStringLiteral("First"));
    QVERIFY(f.boxes.asked.isEmpty());
}

void TestSearch::removeOnEmptyBookmarkListDoesNothing() {
    Marks m;
    WindowFixture f(bookmarkNotebook(m));
    f.clickBookmarkTree(m.marked);
    f.w->ShuQianDel->trigger();
    QCOMPARE(f.bookmarkTree(), QString());
    f.w->ShuQianDel->trigger();
    QCOMPARE(bookmarkFlags(f, m), (QList<int>{0, 0, 0, 0}));
    QCOMPARE(f.folderTree(), QStringLiteral("Folder(First Second Marked)"));
    QVERIFY(f.boxes.asked.isEmpty());
}

// A row that is no longer there is neither flagged nor reported; whatever
// the command, no other row changes.
void TestSearch::bookmarkCommandOnMissingRow_data() {
    QTest::addColumn<QString>("gone");     // how the row went
    QTest::addColumn<bool>("remove");      // the removal rather than the add
    QTest::addColumn<QString>("listed");   // the bookmark list afterwards
    QTest::addColumn<QList<int>>("flags"); // folder, first, second, marked
    QTest::newRow("add, nothing clicked") << "none" << false << "Marked" << QList<int>{0, 0, 0, 1};
    QTest::newRow("add, row deleted here")
        << "here" << false << "Marked" << QList<int>{0, 0, -1, 1};
    QTest::newRow("add, row deleted in the file")
        << "file" << false << "Marked" << QList<int>{0, 0, -1, 1};
    QTest::newRow("remove, row deleted in the file")
        << "file-marked" << true << "" << QList<int>{0, 0, 0, -1};
}

void TestSearch::bookmarkCommandOnMissingRow() {
    QFETCH(QString, gone);
    QFETCH(bool, remove);
    QFETCH(QString, listed);
    QFETCH(QList<int>, flags);
    Marks m;
    WindowFixture f(bookmarkNotebook(m));
    if (gone == QStringLiteral("here")) {
        f.clickFolderTree(m.second);
        f.w->DelExecute();
        QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("确定真的要删除吗？")});
        f.boxes.asked.clear();
    } else if (gone == QStringLiteral("file")) {
        f.clickFolderTree(m.second);
        f.nb.exec(QStringLiteral("DELETE FROM delphi WHERE NodeId=%1").arg(m.second));
    } else if (gone == QStringLiteral("file-marked")) {
        f.clickBookmarkTree(m.marked);
        f.nb.exec(QStringLiteral("DELETE FROM delphi WHERE NodeId=%1").arg(m.marked));
    }
    (remove ? f.w->ShuQianDel : f.w->ShuQian)->trigger();

    QVERIFY2(f.boxes.asked.isEmpty(), qPrintable(f.boxes.texts().join(u'|')));
    QCOMPARE(f.bookmarkTree(), listed);
    QCOMPARE(bookmarkFlags(f, m), flags);
}

// The list holds its own copy of the rows, yet shows every change made
// through the main record set at once.
void TestSearch::bookmarkListFollowsTheNotebook_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("listed");
    QTest::newRow("deleted with the command") << "delete"
                                              << "First";
    QTest::newRow("deleted through the record set") << "deleteRow"
                                                    << "First";
    QTest::newRow("retitled") << "retitle"
                              << "First Renamed";
}

void TestSearch::bookmarkListFollowsTheNotebook() {
    QFETCH(QString, change);
    QFETCH(QString, listed);
    Marks m;
    WindowFixture f(bookmarkNotebook(m));
    f.clickFolderTree(m.first);
    f.w->ShuQian->trigger();
    QCOMPARE(f.bookmarkTree(), QStringLiteral("First Marked"));

    NoteQuery &q = f.dm->FDQuery1;
    if (change == QStringLiteral("delete")) {
        f.clickFolderTree(m.marked);
        f.w->DelExecute();
    } else {
        QVERIFY(q.locate(NoteColumns::NodeId, QString::number(m.marked)));
        if (change == QStringLiteral("deleteRow")) {
            q.deleteRow();
        } else {
            q.edit();
            q.setField(NoteColumns::Title, QStringLiteral("Renamed"));
            q.post();
        }
    }
    QCOMPARE(f.bookmarkTree(), listed);
    QCOMPARE(f.nb.row(m.marked).isEmpty(), change != QStringLiteral("retitle"));
    QVERIFY(f.boxes.asked.size() <= 1); // the question before a delete
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
