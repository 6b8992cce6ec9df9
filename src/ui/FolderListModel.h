#pragma once

#include <QAbstractListModel>
#include <vector>

class NoteCursor;
struct NoteRow;

// The rows of a cursor as a flat list, for the folder picker: the title for
// display and the row's NodeId under Qt::UserRole.
//
// The model keeps its own copy of the row list and follows the cursor's
// single-row changes with matching insert, remove and change signals, so a
// folder created or renamed while a picker is open shows up at once without
// the picker losing its choice. Only a re-read or a filter change resets it.
class FolderListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FolderListModel(NoteCursor *cursor, QObject *parent = nullptr);
    ~FolderListModel() override;

    NoteCursor *cursor() const { return m_cursor; }
    NoteRow *rowAt(int row) const;
    qint64 nodeIdAt(int row) const; // 0 outside the list
    QString titleAt(int row) const;
    // The first row with that NodeId / exactly that title, or -1.
    int rowOfNodeId(qint64 nodeId) const;
    int rowOfTitle(const QString &title) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    int positionFor(const NoteRow *row) const;
    int rowOf(const NoteRow *row) const;

    void onAboutToReset();
    void onResetDone();
    void onRowInserted(NoteRow *row);
    void onRowChanged(NoteRow *row);
    void onRowAboutToBeRemoved(NoteRow *row);
    void onRowRemoved(NoteRow *row);

    NoteCursor *m_cursor;
    std::vector<NoteRow *> m_rows; // ascending seq, as the cursor shows them
    NoteRow *m_removing = nullptr;
    bool m_resetting = false;
};
