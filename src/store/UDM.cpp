#include "UDM.h"

#include "StoreError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QUrl>
#include <QUrlQuery>
#include <atomic>

TDM *DM = nullptr;

namespace {
QString newConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("quillbox-%1").arg(++counter);
}
} // namespace

NoteConnection::NoteConnection() : m_connectionName(newConnectionName()) {}

NoteConnection::~NoteConnection() {
    Disconnect();
}

void NoteConnection::Disconnect() {
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void NoteConnection::Connect() {
    Disconnect();
    if (m_path.isEmpty())
        throw StoreError(QCoreApplication::translate("TDM", "没有指定数据库文件"));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    // The URI form with mode=rw opens an existing file only: a missing
    // notebook is reported, never silently created empty. QUrl encodes
    // "?", "#" and "%" in folder names, which a hand-made "file:" text would not.
    QUrl url = QUrl::fromLocalFile(QDir::cleanPath(QFileInfo(m_path).absoluteFilePath()));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("mode"), QStringLiteral("rw"));
    url.setQuery(query);
    db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open()) {
        const QString detail = db.lastError().text();
        throw StoreError(QCoreApplication::translate("TDM", "无法打开数据库 %1：%2")
                             .arg(QDir::toNativeSeparators(m_path), detail));
    }
}

bool NoteConnection::connected() const {
    return QSqlDatabase::contains(m_connectionName) &&
           QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase NoteConnection::db() const {
    return QSqlDatabase::database(m_connectionName, false);
}

TDM::TDM(QObject *parent, const QString &databasePath)
    : QObject(parent),
      m_databasePath(databasePath.isEmpty() ? defaultDatabasePath() : databasePath) {
    setObjectName(QStringLiteral("DM"));
    FDQuery1.setObjectName(QStringLiteral("FDQuery1"));
    FDshuqian.setObjectName(QStringLiteral("FDshuqian"));
    FDMemReg.setObjectName(QStringLiteral("FDMemReg"));
    FDMemFenLei.setObjectName(QStringLiteral("FDMemFenLei"));
    Tip.setObjectName(QStringLiteral("Tip"));
    // The main record set leaves code, example and notes in the file until a
    // row is shown: a notebook of 100 000 articles then opens in a fraction
    // of the time and memory.
    FDQuery1.setLazyLongTexts(true);
    DM = this;
    DataModuleCreate();
}

TDM::~TDM() {
    FDMemFenLei.close();
    FDMemReg.close();
    FDshuqian.close();
    FDQuery1.close();
    // The connection can only go once nothing holds it any more.
    FDQuery1.setConnection(QSqlDatabase());
    FDshuqian.setConnection(QSqlDatabase());
    FDConnection1.Disconnect();
    if (DM == this)
        DM = nullptr;
}

QString TDM::defaultDatabasePath() {
    // From the executable's own place, never from the working directory.
    return QCoreApplication::applicationDirPath() + QStringLiteral("/mdb/code.mdb");
}

void TDM::DataModuleCreate() {
    bool mainOpened = false;
    try {
        FDConnection1.Disconnect();
        FDConnection1.setDatabase(m_databasePath);
        FDConnection1.Connect();
        GetData();
        mainOpened = true;
        Getshuqian();
    } catch (const std::exception &) {
        // One notice and nothing else: the program goes on with what it
        // could open. A failure before the bookmark query leaves every
        // record set closed.
        if (!mainOpened) {
            FDMemFenLei.close();
            FDMemReg.close();
            FDQuery1.close();
        }
        FDshuqian.close();
        Tip.show(QStringLiteral("提示"), QStringLiteral("连接数据库失败或者数据库文件丢失"), 0);
    }
}

void TDM::GetData() {
    FDQuery1.close();
    FDQuery1.setConnection(FDConnection1.db());
    FDQuery1.setSQL(QStringLiteral("select * from delphi"));
    FDQuery1.open();
    FDMemReg.close();
    FDMemReg.cloneCursor(FDQuery1);
    FDMemFenLei.close();
    FDMemFenLei.cloneCursor(FDQuery1);
    FDMemFenLei.setFiltered(false);
    FDMemFenLei.setFilter(QStringLiteral("type=0"));
    FDMemFenLei.setFiltered(true);
}

void TDM::Getshuqian() {
    FDshuqian.close();
    FDshuqian.setConnection(FDConnection1.db());
    FDshuqian.setSQL(QStringLiteral("select *  from delphi where shuqian=1"));
    // The main record set has just read every row, so the bookmarked ones are
    // known: reading only those spares a second scan of the whole file.
    FDshuqian.openUsing(FDQuery1);
}
