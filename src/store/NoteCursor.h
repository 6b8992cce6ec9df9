#pragma once

#include "NoteTable.h"
#include "RowFilter.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <vector>

class NoteTable;
struct NoteRow;

// A cursor over the rows of a NoteTable: its own current row and its own
// filter. Several cursors share one table's rows, so a row written through
// one is seen by all of them at once, without re-reading.
//
// Filters ignore letter case. The cursor passes the table's changes on to
// its listeners (tree models) in terms of the rows it shows.
class NoteCursor : public QObject {
    Q_OBJECT
public:
    explicit NoteCursor(QObject *parent = nullptr);
    ~NoteCursor() override;

    // Makes this cursor a second cursor over the rows of `source`, with the
    // source's filter settings and its own current row.
    void cloneCursor(NoteCursor &source);
    virtual void close();

    NoteTable *table() const { return m_table; }
    bool isOpen() const;
    int recordCount() const; // rows that pass the filter; 0 when closed
    const std::vector<NoteRow *> &visibleRows() const { return m_visible; }
    int indexOf(const NoteRow *row) const; // -1 when not shown
    bool isVisible(const NoteRow *row) const { return indexOf(row) >= 0; }

    NoteRow *currentRow() const { return m_current; }
    void setCurrentRow(NoteRow *row); // must be shown, or null
    bool first();

    // Reads a column of the current row, by name (any letter case). A null
    // reads as empty text, 0, or an invalid date.
    virtual QVariant fieldValue(QStringView column) const;
    QString fieldText(QStringView column) const;
    qint64 fieldInt(QStringView column) const;
    QDate fieldDate(QStringView column) const;
    QVariant value(const NoteRow *row, QStringView column) const;

    // Makes the first shown row whose column, read as text, equals `value`
    // exactly (letter case included) the current row.
    bool locate(QStringView column, const QString &value);

    // Filtering. The text is parsed when set; see RowFilter for the forms.
    void setFilter(const QString &text);
    QString filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    static QString textOf(const QVariant &v);
    static QDate dateOf(const QVariant &v);

signals:
    void aboutToReset();
    void resetDone();
    void rowInserted(NoteRow *row);
    void rowChanged(NoteRow *row, const QList<int> &columns);
    void rowAboutToBeRemoved(NoteRow *row);
    void rowRemoved(NoteRow *row);
    void currentChanged(NoteRow *row);

protected:
    void attach(NoteTable *table);
    void rebuild(); // re-applies the filter; listeners see a reset
    NoteRow *requireCurrent() const;

private:
    bool passes(const NoteRow *row) const;
    void onRowAppended(NoteRow *row);
    void onRowChanged(NoteRow *row, const QList<int> &columns);
    void onRowAboutToBeRemoved(NoteRow *row);
    void onRowRemoved(NoteRow *row);
    void insertVisible(NoteRow *row);

    QPointer<NoteTable> m_table;
    bool m_open = false;
    std::vector<NoteRow *> m_visible; // in record-set order (ascending seq)
    NoteRow *m_current = nullptr;
    QString m_filterText;
    RowFilter m_filter;
    bool m_filtered = false;
    int m_filterColumn = -1;
    NoteRow *m_removing = nullptr;
};
