#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

// One row of the note table as held in memory. Rows are never copied: every
// cursor over a table points at the same NoteRow objects.
struct NoteRow {
    quint64 seq = 0;              // place in the record set; later rows have larger numbers
    std::vector<QVariant> values; // one per column; long texts may be left unloaded
};

// The rows of one "select" over the note table, with the statements that
// read and write them. Long texts (code, example, notes) can be left in the
// file and fetched by key when asked for, which keeps a large notebook small
// in memory; nothing a reader sees differs.
//
// Every change goes to the database in one statement before the in-memory
// row changes, so a refused write leaves memory and file alike.
class NoteTable : public QObject {
    Q_OBJECT
public:
    explicit NoteTable(QObject *parent = nullptr);
    ~NoteTable() override;

    // Reads the rows of table `table` (optionally those whose column
    // `whereColumn` equals `whereValue`). Throws StoreError when the table or
    // one of the columns the notebook needs is missing or cannot be read.
    void open(const QSqlDatabase &db, const QString &table, const QString &whereColumn = {},
              const QVariant &whereValue = {}, bool lazyLongTexts = false);
    // The same, for a table whose matching keys are already known (from a
    // full read made a moment ago): only those rows are read, by key,
    // instead of scanning the whole file again. `keys` are in record order.
    void openKeys(const QSqlDatabase &db, const QString &table, const QString &whereColumn,
                  const std::vector<qint64> &keys, bool lazyLongTexts = false);
    void close();
    bool isOpen() const { return m_open; }

    int columnCount() const { return int(m_columns.size()); }
    QString columnName(int column) const { return m_columns.at(column); }
    // Index of a column matched without regard to case, or -1.
    int columnIndex(QStringView name) const;
    int keyColumn() const { return m_keyColumn; }

    const std::vector<NoteRow *> &rows() const { return m_rowList; }
    NoteRow *findByKey(qint64 nodeId) const;
    qint64 key(const NoteRow *row) const;

    // The value of one column of a row; long texts are fetched by key.
    QVariant value(const NoteRow *row, int column) const;

    // Writes. Each is one statement, stored before it returns; on failure it
    // throws StoreError and nothing in memory changes.
    NoteRow *insert(const QHash<int, QVariant> &values);
    void update(NoteRow *row, const QHash<int, QVariant> &values);
    void remove(NoteRow *row);

signals:
    void aboutToReset();
    void resetDone();
    void rowAppended(NoteRow *row);
    void rowChanged(NoteRow *row, const QList<int> &columns);
    void rowAboutToBeRemoved(NoteRow *row);
    void rowRemoved(NoteRow *row); // still readable here; destroyed right after

private:
    void openImpl(const QSqlDatabase &db, const QString &table, const QString &whereColumn,
                  const QVariant &whereValue, const std::vector<qint64> *keys, bool lazyLongTexts);
    QString quoted(int column) const;
    QString selectList() const;
    void readBack(NoteRow *row, const QString &whereSql, const QVariant &key) const;
    [[noreturn]] void fail(const QString &what, const QString &detail) const;

    QSqlDatabase m_db;
    QString m_table;
    bool m_open = false;
    QStringList m_columns;
    QHash<QString, int> m_columnByFoldedName;
    std::vector<bool> m_lazy;
    std::vector<int> m_loadedColumns;
    int m_keyColumn = -1;
    quint64 m_nextSeq = 1;
    std::vector<std::unique_ptr<NoteRow>> m_rows;
    std::vector<NoteRow *> m_rowList;
    QHash<qint64, NoteRow *> m_byKey;

    // The last row whose long texts were fetched; a display reads all three.
    mutable const NoteRow *m_cachedRow = nullptr;
    mutable std::vector<QVariant> m_cachedValues;
};
