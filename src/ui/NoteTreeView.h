#pragma once

#include <QSet>
#include <QTreeView>

class NoteTreeModel;
struct NoteRow;

// A tree list over a NoteTreeModel. Its current row and the cursor's current
// row move together (clicks and keyboard alike); only a click is reported as
// one. Folders that were open stay open across a rebuild of the model.
class NoteTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit NoteTreeView(QWidget *parent = nullptr);

    void setNoteModel(NoteTreeModel *model);
    NoteTreeModel *noteModel() const { return m_model; }

    NoteRow *selectedRow() const;
    void expandEverything();
    void collapseEverything();

signals:
    void rowClicked();
    void mouseLeft();

protected:
    void leaveEvent(QEvent *event) override;

private:
    void followCursor();
    void restoreExpanded();

    NoteTreeModel *m_model = nullptr;
    QSet<qint64> m_expanded;
    bool m_syncing = false;
};
