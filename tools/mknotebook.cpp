// Makes an empty notebook: the note table and nothing else. With
// --keep-existing an existing file is left exactly as it is, since a user's
// notes may live in it.
#include "store/NoteSchema.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <cstdio>

static int fail(const QString &message) {
    std::fprintf(stderr, "quillbox-mknotebook: %s\n", qPrintable(message));
    return 1;
}

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool keep = args.removeAll(QStringLiteral("--keep-existing")) > 0;
    if (args.size() != 1)
        return fail(QStringLiteral("usage: quillbox-mknotebook [--keep-existing] FILE"));
    const QString path = args.first();
    if (QFileInfo::exists(path)) {
        if (keep)
            return 0;
        return fail(QStringLiteral("%1 already exists; not overwritten").arg(path));
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(QStringLiteral("cannot make the folder of %1").arg(path));

    // Built under a temporary name and renamed at the end, so a failure never
    // leaves a half-made notebook where the program looks for one.
    const QString temp = path + QStringLiteral(".part");
    QFile::remove(temp);
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("mk"));
        db.setDatabaseName(temp);
        if (!db.open())
            return fail(db.lastError().text());
        try {
            NoteSchema::create(db);
        } catch (const StoreError &e) {
            return fail(e.message());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("mk"));
    if (!QFile::rename(temp, path))
        return fail(QStringLiteral("cannot write %1").arg(path));
    return 0;
}
