#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QMultiHash>
#include <memory>
#include <vector>

class IconList;
class NoteCursor;
struct NoteRow;

// The rows of a cursor as a tree: a row sits under the shown row whose
// NodeId equals its ParentId, else at the top level; siblings keep the
// record-set order. One column, the title, with the icon of the row's type.
//
// The model follows the cursor's single-row changes with the matching
// insert, remove, move and change signals, so a write never resets the view
// (no collapsed folders, no lost selection); only a filter change or a
// re-read resets it.
class NoteTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    NoteTreeModel(NoteCursor *cursor, const IconList *icons, QObject *parent = nullptr);
    ~NoteTreeModel() override;

    NoteCursor *cursor() const { return m_cursor; }
    NoteRow *rowAt(const QModelIndex &index) const;
    QModelIndex indexOf(const NoteRow *row) const;
    qint64 nodeIdAt(const QModelIndex &index) const;
    QModelIndex indexOfNodeId(qint64 nodeId) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;

private:
    struct Node {
        NoteRow *row = nullptr;
        Node *parent = nullptr;
        std::vector<Node *> children; // ascending seq
        qint64 id = 0;
        qint64 parentId = 0;
    };

    void rebuild();
    void resolveColumns();
    qint64 readId(const NoteRow *row, int column) const;
    int position(const Node *node) const;
    QModelIndex indexOfNode(const Node *node) const;
    Node *nodeAt(const QModelIndex &index) const;
    Node *nodeOf(const NoteRow *row) const;
    std::vector<std::unique_ptr<Node>>::iterator poolPlace(const NoteRow *row);
    bool isAncestor(const Node *candidate, const Node *node) const;
    Node *parentFor(Node *node) const;
    void insertSorted(Node *parent, Node *node);
    void detach(Node *node);
    void moveNode(Node *node, Node *newParent);
    void noteWaiting(Node *node);

    void onAboutToReset();
    void onResetDone();
    void onRowInserted(NoteRow *row);
    void onRowChanged(NoteRow *row, const QList<int> &columns);
    void onRowAboutToBeRemoved(NoteRow *row);

    NoteCursor *m_cursor;
    const IconList *m_icons;
    Node m_root;
    std::vector<std::unique_ptr<Node>> m_pool; // ascending seq, so a row's node is found by halving
    QHash<qint64, Node *> m_byId;
    // Top-level nodes whose ParentId names no shown row: they move under
    // that row when it appears.
    QMultiHash<qint64, Node *> m_waiting;
    int m_idColumn = -1;
    int m_parentColumn = -1;
    int m_titleColumn = -1;
    int m_typeColumn = -1;
    bool m_resetting = false;
};
