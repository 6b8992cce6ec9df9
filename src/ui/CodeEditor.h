#pragma once

#include <Qsci/qsciscintilla.h>

#include <QFont>
#include <QString>

// The source-code editor of the main window and of the article dialog.
//
// Two kinds of change reach the text: the user's (typing, cutting, pasting,
// dropping, undo, redo), which emit userEdited() and mark their lines in the
// modification bar, and the program's (loading an article, removing lines),
// which do neither and leave no undo history behind.
class CodeEditor : public QsciScintilla {
    Q_OBJECT

public:
    explicit CodeEditor(QWidget *parent = nullptr);

    // Object Pascal highlighting and the code font, shared by every editor of
    // the program so that they all look alike.
    static void applyHighlighting(QsciScintilla *editor);
    static QFont codeFont();
    static QFont gutterFont();

    QString wholeText() const;
    // Loads a text: no userEdited(), no undo history, no modification marks,
    // and the modified flag stays as it was.
    void setWholeText(const QString &text);

    // The document counts as modified when Scintilla says so or when the
    // program changed it in a way Scintilla's save point cannot express.
    bool isModifiedFlag() const;
    void setModifiedFlag(bool on);
    // Takes the current text as the saved one.
    void markSaved();

    int lineCount() const;
    QString lineText(int index) const; // without the line break
    // Removes a line with its line break, outside the undo history.
    void deleteLine(int index);
    // Removes every blank line; returns how many went.
    int deleteBlankLines();
    static bool isBlankLine(const QString &line);

    void setLocked(bool locked);
    bool isLocked() const;
    void selectWhole();

    // The marker number of the modification bar (for markersAtLine()).
    static constexpr int ChangeMarker = 0;

signals:
    void userEdited();

protected:
    // The editor's own menu, in the program's language.
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    class ProgramChange;

    void onModified(int position, int modificationType, const char *text, int length,
                    int linesAdded, int line, int foldNow, int foldPrev, int token,
                    int annotationLinesAdded);
    void fitGutter();

    bool m_forcedModified = false;
    int m_gutterDigits = 0;
};
