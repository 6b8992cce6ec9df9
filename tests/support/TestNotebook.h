#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <QVariantMap>

// A notebook file on disk for one test: mdb/code.mdb in a temporary folder,
// made from the program's own table definition. Rows are written and read
// back through a connection of its own, apart from the program's.
class TestNotebook {
public:
    TestNotebook();
    ~TestNotebook();

    QString path() const;   // .../mdb/code.mdb
    QString folder() const; // the temporary folder that holds mdb/

    // Appends a row and returns its NodeId.
    qint64 addFolder(const QString &title, qint64 parentId = 0);
    qint64 addArticle(const QString &title, qint64 parentId, const QString &code = {},
                      const QString &example = {}, const QString &notes = {},
                      const QString &createTime = QStringLiteral("2024-03-05"), int read = 0,
                      int bookmark = 0);
    qint64 addRow(const QVariantMap &columns);

    QVariant value(qint64 nodeId, const QString &column);
    QVariantMap row(qint64 nodeId); // empty when gone
    int rowCount();
    void exec(const QString &sql); // throws on error
    QSqlDatabase db();

    // Makes the table refuse every write (triggers that abort them).
    void refuseWrites();

private:
    QTemporaryDir m_dir;
    QString m_connection;
};

// Creates an empty notebook at `path` from the program's table definition.
void makeEmptyNotebook(const QString &path);
