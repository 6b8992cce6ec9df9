#include "NoteSchema.h"

#include "StoreError.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace NoteSchema {

QString script() {
    QFile file(QStringLiteral(":/src/store/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(QCoreApplication::translate("NoteSchema", "程序中缺少笔记表的定义"));
    return QString::fromUtf8(file.readAll());
}

QStringList statements(const QString &script) {
    QStringList statements;
    QString current;
    QChar quote;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script.at(i);
        const QChar next = i + 1 < script.size() ? script.at(i + 1) : QChar();
        if (!quote.isNull()) {
            current += c;
            if (c == quote)
                quote = QChar();
        } else if (c == u'-' && next == u'-') {
            while (i < script.size() && script.at(i) != u'\n')
                ++i;
            current += u'\n';
        } else if (c == u'/' && next == u'*') {
            const qsizetype end = script.indexOf(u"*/", i + 2);
            i = end < 0 ? script.size() : end + 1;
            current += u' ';
        } else if (c == u';') {
            if (!current.trimmed().isEmpty())
                statements << current.trimmed();
            current.clear();
        } else {
            if (c == u'\'' || c == u'"' || c == u'`')
                quote = c;
            else if (c == u'[')
                quote = u']';
            current += c;
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

void create(const QSqlDatabase &db) {
    QSqlQuery query(db);
    for (const QString &statement : statements(script()))
        if (!query.exec(statement))
            throw StoreError(QCoreApplication::translate("NoteSchema", "无法建立笔记表：%1")
                                 .arg(query.lastError().text()));
}

} // namespace NoteSchema
