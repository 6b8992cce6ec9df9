#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The note table's definition, kept once in schema.sql and built into the
// program. Only the tools and the tests make notebooks; the program itself
// never creates the file or the table.
namespace NoteSchema {
QString script();
// Splits a script into statements at semicolons outside quotes and comments.
QStringList statements(const QString &script);
// Creates the note table in an empty database. Throws StoreError.
void create(const QSqlDatabase &db);
} // namespace NoteSchema
