#include "ui/CodeEditor.h"

#include <QClipboard>
#include <QFontInfo>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include <Qsci/qscilexer.h>

namespace {

// An editor on screen with the keyboard focus, so key clicks act as typing.
struct ShownEditor {
    CodeEditor editor;
    ShownEditor() {
        editor.resize(400, 300);
        editor.show();
        editor.setFocus();
    }
    void typeAt(int line, int index, const QString &keys) {
        editor.setCursorPosition(line, index);
        QTest::keyClicks(&editor, keys);
    }
};

} // namespace

class TestCodeEditor : public QObject {
    Q_OBJECT

private slots:
    void loadingKeepsFlagAndHistoryGoes_data();
    void loadingKeepsFlagAndHistoryGoes();
    void typingRaisesFlagAndUndoLowersIt();
    void deleteLine_data();
    void deleteLine();
    void deleteBlankLines_data();
    void deleteBlankLines();
    void undoAfterDeleteLineKeepsLineGone();
    void lockedEditorOnlyCopies();
    void everyStyleUsesFixedPitchFont();
    void enterKeepsLoadedLineBreaks_data();
    void enterKeepsLoadedLineBreaks();
    void changeBarMarksTypedLines();
    void gutterGrowsWithLineCount();
};

void TestCodeEditor::loadingKeepsFlagAndHistoryGoes_data() {
    QTest::addColumn<QString>("before"); // how the flag came to be
    QTest::addColumn<bool>("expected");
    QTest::newRow("clean") << "" << false;
    QTest::newRow("typed") << "type" << true;
    QTest::newRow("forced") << "force" << true;
}

void TestCodeEditor::loadingKeepsFlagAndHistoryGoes() {
    QFETCH(QString, before);
    QFETCH(bool, expected);
    ShownEditor shown;
    CodeEditor &e = shown.editor;
    e.setWholeText(QStringLiteral("old article"));
    if (before == QLatin1String("type"))
        shown.typeAt(0, 0, QStringLiteral("x"));
    else if (before == QLatin1String("force"))
        e.setModifiedFlag(true);
    QCOMPARE(e.isModifiedFlag(), expected);

    QSignalSpy edited(&e, &CodeEditor::userEdited);
    QSignalSpy changed(&e, &QsciScintilla::textChanged);
    e.setWholeText(QStringLiteral("new article"));
    QCOMPARE(e.isModifiedFlag(), expected);
    QCOMPARE(edited.count(), 0);
    QCOMPARE(changed.count(), 0);

    QVERIFY(!e.isUndoAvailable());
    e.undo();
    QCOMPARE(e.wholeText(), QStringLiteral("new article"));

    // Scintilla takes the loaded text as unmodified; undoing back to it must
    // not lose a flag that was raised before.
    shown.typeAt(0, 0, QStringLiteral("y"));
    e.undo();
    QCOMPARE(e.wholeText(), QStringLiteral("new article"));
    QCOMPARE(e.isModifiedFlag(), expected);
}

void TestCodeEditor::typingRaisesFlagAndUndoLowersIt() {
    ShownEditor shown;
    CodeEditor &e = shown.editor;
    e.setWholeText(QStringLiteral("begin\nend;"));
    QSignalSpy edited(&e, &CodeEditor::userEdited);

    shown.typeAt(0, 5, QStringLiteral("x"));
    QCOMPARE(e.wholeText(), QStringLiteral("beginx\nend;"));
    QVERIFY(e.isModifiedFlag());
    QCOMPARE(edited.count(), 1);

    // A new save point in the middle of the history: undo back to it is clean.
    e.setModifiedFlag(false);
    shown.typeAt(1, 0, QStringLiteral("y"));
    QVERIFY(e.isModifiedFlag());
    e.undo();
    QVERIFY(!e.isModifiedFlag());
    QCOMPARE(edited.count(), 3); // undo is the user's edit too
    e.redo();
    QVERIFY(e.isModifiedFlag());

    // A forced flag survives returning to the save point.
    e.undo();
    e.setModifiedFlag(true);
    shown.typeAt(1, 0, QStringLiteral("z"));
    e.undo();
    QVERIFY(e.isModifiedFlag());
}

void TestCodeEditor::deleteLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    QTest::newRow("middle") << "a\nb\nc" << 1 << "a\nc";
    QTest::newRow("first") << "a\nb" << 0 << "b";
    QTest::newRow("last takes the break before it") << "a\nb" << 1 << "a";
    QTest::newRow("last of CRLF text") << "a\r\nb\r\nc" << 2 << "a\r\nb";
    QTest::newRow("only line") << "abc" << 0 << "";
    QTest::newRow("trailing empty line") << "a\n" << 1 << "a";
    QTest::newRow("out of range") << "a\nb" << 2 << "a\nb";
}

void TestCodeEditor::deleteLine() {
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(QString, expected);
    CodeEditor e;
    e.setWholeText(text);
    QSignalSpy edited(&e, &CodeEditor::userEdited);
    e.deleteLine(index);
    QCOMPARE(e.wholeText(), expected);
    QCOMPARE(e.isModifiedFlag(), expected != text);
    QCOMPARE(edited.count(), 0);
    QVERIFY(!e.isUndoAvailable());
}

void TestCodeEditor::deleteBlankLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("deleted");
    QTest::newRow("five lines") << "a\n\n  \nb\n\t"
                                << "a\nb" << 3;
    QTest::newRow("control characters are blank") << "a\n\x01\x1f \nb"
                                                  << "a\nb" << 1;
    QTest::newRow("ideographic space is not")
        << QStringLiteral("a\n\u3000\n") << QStringLiteral("a\n\u3000") << 1;
    QTest::newRow("CRLF") << "a\r\n \r\n\r\nb\r\n"
                          << "a\r\nb" << 3;
    QTest::newRow("all blank") << " \n\t\n"
                               << "" << 3;
    QTest::newRow("empty") << ""
                           << "" << 0;
    QTest::newRow("none blank") << "a\nb"
                                << "a\nb" << 0;
}

void TestCodeEditor::deleteBlankLines() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(int, deleted);
    CodeEditor e;
    e.setWholeText(text);
    QCOMPARE(e.deleteBlankLines(), deleted);
    QCOMPARE(e.wholeText(), expected);
    QCOMPARE(e.isModifiedFlag(), deleted > 0);
}

void TestCodeEditor::undoAfterDeleteLineKeepsLineGone() {
    ShownEditor shown;
    CodeEditor &e = shown.editor;
    e.setWholeText(QStringLiteral("one\ntwo\nthree\nfour"));
    shown.typeAt(0, 0, QStringLiteral("x")); // history from before the removal
    e.deleteLine(1);
    shown.typeAt(2, 4, QStringLiteral("y")); // an edit after the removed line
    e.undo();
    e.undo();
    QCOMPARE(e.wholeText(), QStringLiteral("xone\nthree\nfour"));
    QVERIFY(e.isModifiedFlag());
}

void TestCodeEditor::lockedEditorOnlyCopies() {
    ShownEditor shown;
    CodeEditor &e = shown.editor;
    QClipboard *clipboard = QGuiApplication::clipboard();
    e.setLocked(true);
    QVERIFY(e.isLocked());
    // The program's own changes still go through.
    e.setWholeText(QStringLiteral("gone\nlocked text"));
    e.deleteLine(0);
    e.setModifiedFlag(false);
    QSignalSpy edited(&e, &CodeEditor::userEdited);

    clipboard->setText(QStringLiteral("pasted"));
    e.selectWhole();
    e.paste();
    e.cut();
    shown.typeAt(0, 0, QStringLiteral("q"));
    QCOMPARE(e.wholeText(), QStringLiteral("locked text"));
    QCOMPARE(clipboard->text(), QStringLiteral("pasted"));
    QCOMPARE(edited.count(), 0);
    QVERIFY(!e.isModifiedFlag());

    e.selectWhole();
    e.copy();
    QCOMPARE(clipboard->text(), QStringLiteral("locked text"));

    e.setLocked(false);
    clipboard->setText(QStringLiteral("pasted"));
    e.selectWhole();
    e.paste();
    QCOMPARE(e.wholeText(), QStringLiteral("pasted"));
    QVERIFY(edited.count() > 0);
}

void TestCodeEditor::everyStyleUsesFixedPitchFont() {
    CodeEditor e;
    const QByteArray family = CodeEditor::codeFont().family().toLatin1();
    for (int style = 0; style < 128; ++style) {
        QVERIFY2(QFontInfo(e.lexer()->font(style)).fixedPitch(),
                 qPrintable(QString::number(style)));
        if (style == QsciScintillaBase::STYLE_LINENUMBER)
            continue;
        char name[128] = {};
        e.SendScintilla(QsciScintillaBase::SCI_STYLEGETFONT, style, static_cast<void *>(name));
        QCOMPARE(QByteArray(name), family);
        // QScintilla only passes point sizes on; a pixel-sized font arrives as -1.
        QVERIFY(e.SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZEFRACTIONAL, style) > 0);
    }
}

void TestCodeEditor::enterKeepsLoadedLineBreaks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("LF") << "a\nb"
                        << "a\n\nb";
    QTest::newRow("CRLF") << "a\r\nb"
                          << "a\r\n\r\nb";
}

void TestCodeEditor::enterKeepsLoadedLineBreaks() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    ShownEditor shown;
    shown.editor.setWholeText(text);
    shown.editor.setCursorPosition(0, 1);
    QTest::keyClick(&shown.editor, Qt::Key_Return);
    QCOMPARE(shown.editor.wholeText(), expected);
}

void TestCodeEditor::changeBarMarksTypedLines() {
    ShownEditor shown;
    CodeEditor &e = shown.editor;
    const auto marked = [&e](int line) {
        return (e.markersAtLine(line) & (1 << CodeEditor::ChangeMarker)) != 0;
    };
    e.setWholeText(QStringLiteral("a\nb\nc"));
    QVERIFY(!marked(0) && !marked(1) && !marked(2));

    shown.typeAt(1, 1, QStringLiteral("x"));
    QVERIFY(!marked(0) && marked(1) && !marked(2));

    e.markSaved();
    QVERIFY(!marked(1));
    QVERIFY(!e.isModifiedFlag());

    shown.typeAt(2, 0, QStringLiteral("y"));
    e.setWholeText(QStringLiteral("d\ne\nf"));
    QVERIFY(!marked(0) && !marked(1) && !marked(2));
    e.deleteLine(0); // the program's own removal leaves no mark
    QVERIFY(!marked(0) && !marked(1));
}

void TestCodeEditor::gutterGrowsWithLineCount() {
    ShownEditor shown;
    CodeEditor &e = shown.editor;
    e.setWholeText(QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8\n9"));
    const int oneDigit = e.marginWidth(0);
    e.setCursorPosition(8, 1);
    QTest::keyClick(&e, Qt::Key_Return); // the tenth line, typed
    const int twoDigits = e.marginWidth(0);
    QVERIFY(twoDigits > oneDigit);
    e.undo();
    QCOMPARE(e.marginWidth(0), oneDigit);
    e.setWholeText(QString(120, QLatin1Char('\n')));
    QVERIFY(e.marginWidth(0) > twoDigits);
}

QTEST_MAIN(TestCodeEditor)
#include "tst_codeeditor.moc"
