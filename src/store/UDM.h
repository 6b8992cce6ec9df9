#pragma once

#include "IconList.h"
#include "NoteCursor.h"
#include "NoteQuery.h"
#include "ui/NoticeWindow.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>

// The connection to the notebook file. It is opened through SQLite's URI
// form in read-write mode, so a missing file is reported, never created.
class NoteConnection {
public:
    NoteConnection();
    ~NoteConnection();
    NoteConnection(const NoteConnection &) = delete;
    NoteConnection &operator=(const NoteConnection &) = delete;

    void Disconnect();
    void setDatabase(const QString &path) { m_path = path; }
    QString database() const { return m_path; }
    void Connect(); // throws StoreError
    bool connected() const;
    QSqlDatabase db() const;

private:
    QString m_connectionName;
    QString m_path;
};

// What a data-bound control attaches to.
struct DataSource {
    NoteCursor *DataSet;
};

// The data module: the notebook connection, the record sets over the note
// table, the notices and the pictures every window uses.
class TDM : public QObject {
    Q_OBJECT
public:
    // Opens the notebook at `databasePath`, or at mdb/code.mdb beside the
    // running executable when no path is given.
    explicit TDM(QObject *parent = nullptr, const QString &databasePath = {});
    ~TDM() override;

    static QString defaultDatabasePath();

    void DataModuleCreate();
    void GetData();
    void Getshuqian();

    NoteConnection FDConnection1;
    NoteQuery FDQuery1;     // every row of the table; every write but the bookmark removal
    NoteQuery FDshuqian;    // its own copy of the bookmarked rows
    NoteCursor FDMemReg;    // the folder tree's cursor over FDQuery1's rows
    NoteCursor FDMemFenLei; // folders only, for the article dialog's picker
    DataSource DSReg{&FDMemReg};
    DataSource DSshuqian{&FDshuqian};
    DataSource DSFenLei{&FDMemFenLei};
    NoticeManager Tip;
    IconList img16{QStringLiteral("img16"), 16};
    IconList img24{QStringLiteral("img24"), 14};

private:
    QString m_databasePath;
};

extern TDM *DM;
