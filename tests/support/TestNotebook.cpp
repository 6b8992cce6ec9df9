#include "TestNotebook.h"

#include "store/NoteSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>
#include <stdexcept>

namespace {
QString nextConnectionName() {
    static std::atomic<int> n{0};
    return QStringLiteral("testnotebook-%1").arg(++n);
}

void check(bool ok, const QSqlQuery &q) {
    if (!ok)
        throw std::runtime_error(q.lastError().text().toStdString() + " in " +
                                 q.lastQuery().toStdString());
}
} // namespace

void makeEmptyNotebook(const QString &path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString name = nextConnectionName();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            throw std::runtime_error("cannot create test notebook");
        NoteSchema::create(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

TestNotebook::TestNotebook() : m_connection(nextConnectionName()) {
    makeEmptyNotebook(path());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(path());
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    db.open();
}

TestNotebook::~TestNotebook() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QString TestNotebook::folder() const {
    return m_dir.path();
}
QString TestNotebook::path() const {
    return m_dir.path() + QStringLiteral("/mdb/code.mdb");
}
QSqlDatabase TestNotebook::db() {
    return QSqlDatabase::database(m_connection, false);
}

qint64 TestNotebook::addRow(const QVariantMap &columns) {
    QStringList names, marks;
    for (auto it = columns.begin(); it != columns.end(); ++it) {
        names << u'"' + it.key() + u'"';
        marks << QStringLiteral("?");
    }
    QSqlQuery q(db());
    check(q.prepare(QStringLiteral("INSERT INTO delphi (%1) VALUES (%2)")
                        .arg(names.join(u','), marks.join(u','))),
          q);
    for (const QVariant &v : columns)
        q.addBindValue(v);
    check(q.exec(), q);
    return q.lastInsertId().toLongLong();
}

qint64 TestNotebook::addFolder(const QString &title, qint64 parentId) {
    return addRow({{QStringLiteral("Title"), title},
                   {QStringLiteral("ParentId"), parentId},
                   {QStringLiteral("type"), 0}});
}

qint64 TestNotebook::addArticle(const QString &title, qint64 parentId, const QString &code,
                                const QString &example, const QString &notes,
                                const QString &createTime, int read, int bookmark) {
    return addRow({{QStringLiteral("Title"), title},
                   {QStringLiteral("ParentId"), parentId},
                   {QStringLiteral("type"), 1},
                   {QStringLiteral("info"), code},
                   {QStringLiteral("Demoinfo"), example},
                   {QStringLiteral("Richinfo"), notes},
                   {QStringLiteral("CreateTime"), createTime},
                   {QStringLiteral("Read"), read},
                   {QStringLiteral("shuqian"), bookmark}});
}

QVariantMap TestNotebook::row(qint64 nodeId) {
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT * FROM delphi WHERE NodeId=?"));
    q.addBindValue(nodeId);
    check(q.exec(), q);
    QVariantMap m;
    if (q.next()) {
        const QSqlRecord r = q.record();
        for (int i = 0; i < r.count(); ++i)
            m.insert(r.fieldName(i), q.value(i));
    }
    return m;
}

QVariant TestNotebook::value(qint64 nodeId, const QString &column) {
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT \"%1\" FROM delphi WHERE NodeId=?").arg(column));
    q.addBindValue(nodeId);
    check(q.exec(), q);
    return q.next() ? q.value(0) : QVariant();
}

int TestNotebook::rowCount() {
    QSqlQuery q(db());
    check(q.exec(QStringLiteral("SELECT count(*) FROM delphi")), q);
    q.next();
    return q.value(0).toInt();
}

void TestNotebook::exec(const QString &sql) {
    QSqlQuery q(db());
    check(q.exec(sql), q);
}

void TestNotebook::refuseWrites() {
    for (const char *op : {"INSERT", "UPDATE", "DELETE"})
        exec(QStringLiteral("CREATE TRIGGER refuse_%1 BEFORE %1 ON delphi "
                            "BEGIN SELECT RAISE(ABORT, 'refused by test'); END")
                 .arg(QLatin1String(op)));
}
