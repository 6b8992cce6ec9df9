#pragma once

#include "TestNotebook.h"
#include "store/UDM.h"
#include "ui/MsgBox.h"
#include "ui/UFrmain.h"

#include <QList>
#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

class NoteTreeView;
class QToolButton;

// A message box the program asked for, as the test saw it.
struct AskedBox {
    QString text;
    QString caption;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon;
};

// Answers the program's message boxes from a queue (Yes when it runs dry)
// and records what was asked. Restores the real boxes when it goes.
class BoxAnswerer {
public:
    BoxAnswerer();
    ~BoxAnswerer();
    void answer(QMessageBox::StandardButton button) { m_answers << button; }
    QList<AskedBox> asked;
    QStringList texts() const;

private:
    QList<QMessageBox::StandardButton> m_answers;
};

// The real main window over a real notebook file, shown offscreen.
class WindowFixture {
public:
    // Fills the notebook through `fill` before the program opens it.
    explicit WindowFixture(const std::function<void(TestNotebook &)> &fill = {});
    ~WindowFixture();

    TestNotebook nb;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TFrmain> w;
    BoxAnswerer boxes;

    // A real mouse click on the row of `nodeId` (its folders opened first).
    void clickFolderTree(qint64 nodeId);
    void clickBookmarkTree(qint64 nodeId);
    // Moves the folder tree's current row as the keyboard would, without a click.
    void moveFolderTreeTo(qint64 nodeId);
    // Types text into a widget as the user would, Chinese included.
    static void type(QWidget *widget, const QString &text);
    void typeInCode(const QString &text);        // at the end of the code editor
    void typeInExample(const QString &text);     // at the end of the example editor
    bool pending(QToolButton *saveButton) const; // enabled and showing the waiting picture
    QString notices() const;                     // texts of the open notices, joined by "|"
    void closeNotices();
    // A tree as text: titles in order, a row's own rows in brackets, "A(b c) D".
    static QString treeText(const NoteTreeView *tree);
    QString folderTree() const { return treeText(w->cxDBTreeList1); }
    QString bookmarkTree() const { return treeText(w->cxDBTreeList2); }

private:
    void click(NoteTreeView *tree, qint64 nodeId);
};
