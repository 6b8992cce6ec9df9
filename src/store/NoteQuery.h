#pragma once

#include "NoteCursor.h"

#include <QHash>
#include <QSqlDatabase>

class NoteTable;

// A query over the note table that owns its rows: the main record set and
// the bookmark query. Besides reading it appends, edits, posts and deletes.
//
// Statements understood: "select * from <table>" and
// "select * from <table> where <column>=<integer>"; letter case and spacing
// are free.
class NoteQuery : public NoteCursor {
    Q_OBJECT
public:
    enum class State { Browse, Edit, Insert };

    explicit NoteQuery(QObject *parent = nullptr);
    ~NoteQuery() override;

    void setConnection(const QSqlDatabase &db) { m_db = db; }
    void setSQL(const QString &statement);
    QString sql() const { return m_sql; }
    // Whether long texts stay in the file until asked for.
    void setLazyLongTexts(bool lazy) { m_lazy = lazy; }

    void open(); // throws StoreError
    // Opens the statement with the help of `source`, a query over the same
    // table that has just read every row: the matching keys are taken from
    // its rows, and only those rows are read from the file. The result is
    // what open() gives, without a second scan of a large notebook.
    void openUsing(const NoteQuery &source);
    void close() override;
    void refresh(); // runs the statement again

    State state() const { return m_state; }
    void append();
    void edit();
    void setField(QStringView column, const QVariant &value);
    void post(); // throws StoreError; the query is back to browsing either way
    void cancel();
    void deleteRow();

    QVariant fieldValue(QStringView column) const override;

private:
    int requireColumn(QStringView column) const;

    QSqlDatabase m_db;
    QString m_sql;
    QString m_tableName;
    QString m_whereColumn;
    QVariant m_whereValue;
    bool m_lazy = false;
    NoteTable *m_ownTable = nullptr;
    State m_state = State::Browse;
    QHash<int, QVariant> m_buffer;
};
