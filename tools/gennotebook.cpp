// Writes a large, realistic-looking notebook for benchmarks and manual tests:
//
//   quillbox-gennotebook [--articles N] [--seed S] [--bookmarks K] OUTPUT.mdb
//
// The same arguments always give the same file, so benchmark runs on
// different machines measure the same data.
//
// The table definition is the store's own (NoteSchema), so the two can
// never drift apart.

#include "store/NoteSchema.h"
#include "store/StoreError.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr QStringView kEol = u"\r\n"; // notes pasted on Windows keep their CRLF
constexpr int kArticlesPerFolder = 50;

// ---------------------------------------------------------------------------
// Deterministic randomness

class Random {
public:
    explicit Random(quint32 seed) : m_gen(seed) {}

    // Not std::uniform_int_distribution: its output differs between standard
    // libraries, and one seed must give one notebook everywhere.
    quint32 below(quint32 n) { return quint32((quint64(m_gen()) * n) >> 32); }
    int between(int lo, int hi) { return lo + int(below(quint32(hi - lo + 1))); }
    bool chance(int percent) { return below(100) < quint32(percent); }

    template <typename T, std::size_t N> const T &pick(const T (&items)[N]) {
        return items[below(quint32(N))];
    }

private:
    std::mt19937 m_gen;
};

// ---------------------------------------------------------------------------
// Text assembly without temporaries for every `+`

inline void put(QString &s, QStringView v) {
    s.append(v);
}
inline void put(QString &s, const QString &v) {
    s.append(v);
}
inline void put(QString &s, char16_t c) {
    s.append(QChar(c));
}
inline void put(QString &s, int n) {
    s.append(QString::number(n));
}

template <typename... Parts> QString cat(const Parts &...parts) {
    QString s;
    (put(s, parts), ...);
    return s;
}

// ---------------------------------------------------------------------------
// Word lists

constexpr QStringView kVerbs[] = {
    u"Load",   u"Save",    u"Parse",   u"Find",     u"Sort",    u"Build",  u"Update",
    u"Check",  u"Convert", u"Get",     u"Set",      u"Draw",    u"Send",   u"Read",
    u"Write",  u"Create",  u"Free",    u"Init",     u"Clear",   u"Copy",   u"Encode",
    u"Decode", u"Format",  u"Split",   u"Merge",    u"Refresh", u"Fill",   u"Export",
    u"Import", u"Search",  u"Compare", u"Validate", u"Append",  u"Remove", u"Register"};

constexpr QStringView kNouns[] = {
    u"Config", u"Buffer", u"Item",   u"Node",   u"Record", u"Stream",  u"Image",  u"Socket",
    u"Query",  u"Field",  u"Text",   u"Line",   u"List",   u"Row",     u"Cache",  u"Thread",
    u"File",   u"Path",   u"Key",    u"Value",  u"Header", u"Packet",  u"Bitmap", u"Window",
    u"Handle", u"Grid",   u"Column", u"Report", u"Data",   u"Section", u"Icon",   u"Menu",
    u"Font",   u"Color",  u"Hash",   u"Table",  u"Tree",   u"Log",     u"Url",    u"Entry"};

constexpr QStringView kClassSuffixes[] = {u"Manager", u"Helper", u"Parser",  u"Worker",
                                          u"List",    u"Reader", u"Writer",  u"Loader",
                                          u"Cache",   u"Engine", u"Service", u"Builder"};

constexpr QStringView kBaseClasses[] = {u"TObject",     u"TObject",          u"TComponent",
                                        u"TThread",     u"TPersistent",      u"TCustomControl",
                                        u"TStringList", u"TInterfacedObject"};

constexpr QStringView kFieldTypes[] = {u"Integer", u"string",    u"Boolean",     u"Cardinal",
                                       u"Int64",   u"Double",    u"TStringList", u"TStream",
                                       u"TBitmap", u"TDateTime", u"Pointer",     u"HWND",
                                       u"Word",    u"TList",     u"TNotifyEvent"};

constexpr QStringView kUnits[] = {u"Windows",  u"Messages", u"SysUtils", u"Classes",  u"Graphics",
                                  u"Controls", u"Forms",    u"Dialogs",  u"StdCtrls", u"ExtCtrls",
                                  u"ComCtrls", u"DB",       u"ADODB",    u"IniFiles", u"Registry",
                                  u"ShellAPI", u"WinSock",  u"Math",     u"StrUtils", u"SyncObjs",
                                  u"IdHTTP",   u"Jpeg",     u"Menus",    u"Variants"};

constexpr QStringView kConstructors[] = {u"TStringList.Create",
                                         u"TMemoryStream.Create",
                                         u"TBitmap.Create",
                                         u"TList.Create",
                                         u"TIniFile.Create(FileName)",
                                         u"TRegistry.Create",
                                         u"TADOQuery.Create(nil)",
                                         u"TFileStream.Create(FileName, fmOpenRead)",
                                         u"TCriticalSection.Create",
                                         u"TJPEGImage.Create"};

struct Local {
    QStringView name;
    QStringView type;
};

constexpr Local kLocals[] = {
    {u"I", u"Integer"},      {u"J", u"Integer"},        {u"K", u"Integer"},
    {u"S", u"string"},       {u"Str", u"string"},       {u"Buf", u"array[0..255] of Char"},
    {u"Len", u"Cardinal"},   {u"Count", u"Integer"},    {u"Idx", u"Integer"},
    {u"P", u"PChar"},        {u"List", u"TStringList"}, {u"Stream", u"TMemoryStream"},
    {u"Ini", u"TIniFile"},   {u"Reg", u"TRegistry"},    {u"Bmp", u"TBitmap"},
    {u"R", u"TRect"},        {u"Msg", u"TMsg"},         {u"Ret", u"Boolean"},
    {u"H", u"HWND"},         {u"Value", u"Double"},     {u"Node", u"TTreeNode"},
    {u"Item", u"TListItem"}, {u"Qry", u"TADOQuery"},    {u"FileName", u"string"},
    {u"Path", u"string"},    {u"SR", u"TSearchRec"},    {u"Dt", u"TDateTime"},
    {u"Code", u"Integer"},   {u"Sl", u"TStrings"},      {u"Ch", u"Char"},
    {u"B", u"Byte"},         {u"W", u"Word"},           {u"Size", u"Int64"},
    {u"F", u"TextFile"},     {u"Pt", u"TPoint"},        {u"Total", u"Integer"}};

constexpr QStringView kStrings[] = {u"Hello",
                                    u"配置文件不存在",
                                    u"config.ini",
                                    u"SELECT * FROM Users WHERE ID = ",
                                    u"错误",
                                    u"c:\\temp\\log.txt",
                                    u"%s: %d",
                                    u"http://www.example.com/index.htm",
                                    u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=",
                                    u"确定要删除吗？",
                                    u"OK",
                                    u"Settings",
                                    u"Software\\MyApp\\Options",
                                    u"保存成功",
                                    u",",
                                    u"yyyy-mm-dd hh:nn:ss",
                                    u"It''s done",
                                    u"操作失败，请重试",
                                    u"*.txt",
                                    u"Untitled",
                                    u"用户名或密码错误",
                                    u"UPDATE Orders SET State = 1 WHERE OrderNo = ",
                                    u"\\",
                                    u"正在处理...",
                                    u"Count = ",
                                    u"Default",
                                    u"文件已被占用"};

constexpr QStringView kCommentsCn[] = {u"这里要注意释放内存",
                                       u"防止重复创建",
                                       u"先判断文件是否存在",
                                       u"转换成大写再比较",
                                       u"读取配置文件",
                                       u"初始化变量",
                                       u"清空列表",
                                       u"循环处理每一行",
                                       u"保存到数据库",
                                       u"需要管理员权限",
                                       u"兼容 Delphi 7 和 XE",
                                       u"处理中文乱码问题",
                                       u"避免界面假死",
                                       u"按名称排序",
                                       u"返回 -1 表示没有找到",
                                       u"计算校验和",
                                       u"从注册表读取设置",
                                       u"发送消息给主窗口",
                                       u"等待线程结束",
                                       u"刷新显示",
                                       u"释放资源",
                                       u"临时变量",
                                       u"错误处理",
                                       u"这里可以优化",
                                       u"TODO: 支持 Unicode",
                                       u"记录日志",
                                       u"取得窗口句柄",
                                       u"重绘画布",
                                       u"注意：索引从 0 开始",
                                       u"不要在线程里直接访问界面"};

constexpr QStringView kCommentsEn[] = {u"Walk the list backwards so deletion is safe",
                                       u"Cached value, reset on change",
                                       u"Legacy code - do not touch",
                                       u"Ensure the buffer is large enough",
                                       u"TODO: handle errors",
                                       u"Called from the main thread only",
                                       u"Returns True when found",
                                       u"Works with Delphi 7 and later",
                                       u"Fix for the flicker on resize",
                                       u"Taken from the newsgroups, slightly changed",
                                       u"Owner frees the objects",
                                       u"Keep in sync with the form"};

constexpr QStringView kDefines[] = {u"MSWINDOWS", u"DEBUG",     u"VER150",  u"UNICODE",
                                    u"LINUX",     u"USE_INDY",  u"VER210",  u"FPC",
                                    u"WIN64",     u"USE_CACHE", u"CONSOLE", u"D2009_UP"};

constexpr QStringView kAuthors[] = {u"张三", u"李明", u"wangwei", u"Kevin",
                                    u"老王", u"小刘", u"cnpack",  u"dfw"};

constexpr QStringView kApiCalls[] = {
    u"SendMessage(Handle, WM_SETREDRAW, 0, 0);",
    u"PostMessage(Application.Handle, WM_CLOSE, 0, 0);",
    u"ShellExecute(0, 'open', PChar(FileName), nil, nil, SW_SHOWNORMAL);",
    u"Sleep(100);",
    u"Application.ProcessMessages;",
    u"Screen.Cursor := crHourGlass;",
    u"Screen.Cursor := crDefault;",
    u"GetWindowText(H, Buf, SizeOf(Buf));",
    u"SetForegroundWindow(H);",
    u"FillChar(Buf, SizeOf(Buf), 0);",
    u"Move(Buf[0], P^, Len);",
    u"ZeroMemory(@R, SizeOf(R));",
    u"InvalidateRect(Handle, nil, True);",
    u"Beep;",
    u"Randomize;",
    u"OutputDebugString(PChar('Enter ' + S));",
    u"Memo1.Lines.BeginUpdate;",
    u"Memo1.Lines.EndUpdate;",
    u"ListView1.Items.Clear;",
    u"ADOQuery1.Close;",
    u"ADOQuery1.Open;",
    u"Caption := Format('%d / %d', [I, Count]);"};

// ---------------------------------------------------------------------------
// Object Pascal text

class CodeWriter {
public:
    CodeWriter(Random &rng, QString &out) : m_rng(rng), m_out(out) {}

    // A source file's worth of code, about `target` characters long. A block
    // that would run past `limit` is dropped again, so the lengths stay within
    // the intended range.
    void article(int target, int limit) {
        const qsizetype start = m_out.size();
        const bool unit = m_rng.chance(30);
        if (unit)
            unitHeader();
        else if (m_rng.chance(40))
            blockComment();
        int retries = 20;
        while (m_out.size() - start < target) {
            const qsizetype before = m_out.size();
            if (m_out.size() > start)
                blank();
            const quint32 kind = m_rng.below(100);
            if (kind < 38)
                routine();
            else if (kind < 50)
                classDeclaration();
            else if (kind < 64)
                method();
            else if (kind < 72)
                constSection();
            else if (kind < 77)
                recordType();
            else if (kind < 84)
                directiveBlock();
            else if (kind < 92)
                eventHandler(0);
            else
                blockComment();
            if (m_out.size() - start > limit && retries > 0) {
                // Too long: drop the block; stop if what is left is a fair
                // article already, else try another (usually smaller) one.
                m_out.truncate(before);
                --retries;
                if (before - start >= target / 2)
                    break;
            }
        }
        if (unit) {
            blank();
            line(u"end.");
        }
    }

    // Example code calling into the article: one or two event handlers.
    void example(int target) {
        const qsizetype start = m_out.size();
        while (m_out.size() - start < target) {
            if (m_out.size() > start)
                blank();
            eventHandler(target - int(m_out.size() - start));
        }
    }

private:
    template <typename... Parts> void line(const Parts &...parts) {
        for (int i = 0; i < m_indent; ++i)
            m_out.append(u"  ");
        (put(m_out, parts), ...);
        m_out.append(kEol);
    }
    void blank() { m_out.append(kEol); }

    QString routineName() { return cat(m_rng.pick(kVerbs), m_rng.pick(kNouns)); }
    QString className() { return cat(u"T", m_rng.pick(kNouns), m_rng.pick(kClassSuffixes)); }
    QStringView var() {
        if (m_locals.empty())
            return m_rng.pick(kLocals).name;
        return m_locals[m_rng.below(quint32(m_locals.size()))].name;
    }
    QString string() { return cat(u"'", m_rng.pick(kStrings), u"'"); }
    QStringView comment() {
        return m_rng.chance(70) ? m_rng.pick(kCommentsCn) : m_rng.pick(kCommentsEn);
    }

    QString number() {
        switch (m_rng.below(5)) {
        case 0:
            return cat(u"$", QString::number(m_rng.below(0x10000), 16).toUpper());
        case 1:
            return QString::number(m_rng.below(10));
        case 2:
            return cat(int(m_rng.below(1000)), u".", int(m_rng.below(100)));
        default:
            return QString::number(m_rng.below(5000));
        }
    }

    QString expression() {
        switch (m_rng.below(14)) {
        case 0:
            return cat(var(), u" + ", number());
        case 1:
            return cat(u"Length(", var(), u")");
        case 2:
            return cat(u"Copy(", var(), u", ", int(m_rng.between(1, 20)), u", ",
                       int(m_rng.between(1, 64)), u")");
        case 3:
            return cat(u"IntToStr(", var(), u")");
        case 4:
            return cat(string(), u" + ", var());
        case 5:
            return cat(var(), u".Count");
        case 6:
            return cat(u"Trunc(", var(), u" * ", number(), u")");
        case 7:
            return cat(u"(", var(), u" shl 8) or ", var());
        case 8:
            return cat(u"StrToIntDef(", var(), u", 0)");
        case 9:
            return cat(routineName(), u"(", var(), u")");
        case 10:
            return cat(u"Format(", string(), u", [", var(), u"])");
        case 11:
            return string();
        case 12:
            return cat(u"Ord(", var(), u"[", var(), u"])");
        default:
            return number();
        }
    }

    QString condition() {
        switch (m_rng.below(9)) {
        case 0:
            return cat(var(), u" > ", number());
        case 1:
            return cat(var(), u" = ''");
        case 2:
            return cat(u"Assigned(", var(), u")");
        case 3:
            return cat(u"not FileExists(", var(), u")");
        case 4:
            return cat(u"(", var(), u" <> nil) and (", var(), u".Count > 0)");
        case 5:
            return cat(u"Pos(", string(), u", ", var(), u") > 0");
        case 6:
            return cat(var(), u" mod 2 = 0");
        case 7:
            return cat(u"SameText(", var(), u", ", string(), u")");
        default:
            return cat(var(), u" <= ", var(), u".Count - 1");
        }
    }

    void statements(int count, int depth) {
        for (int i = 0; i < count; ++i)
            statement(depth);
    }

    void block(int depth) {
        line(u"begin");
        ++m_indent;
        statements(m_rng.between(1, 3), depth + 1);
        --m_indent;
    }

    void statement(int depth) {
        // Nesting stops at three levels, as real snippets rarely go deeper.
        const quint32 kind = depth >= 3 ? m_rng.below(5) : m_rng.below(16);
        switch (kind) {
        case 0:
        case 1:
            line(var(), u" := ", expression(), u";");
            break;
        case 2:
            line(routineName(), u"(", var(), u", ", expression(), u");");
            break;
        case 3:
            line(m_rng.pick(kApiCalls));
            break;
        case 4:
            if (m_rng.chance(50))
                line(u"// ", comment());
            else
                line(m_rng.chance(50) ? u"Inc(" : u"Dec(", var(), u");");
            break;
        case 5:
        case 6:
            line(u"if ", condition(), u" then");
            block(depth);
            if (m_rng.chance(35)) {
                line(u"end");
                line(u"else");
                block(depth);
            }
            line(u"end;");
            break;
        case 7:
            line(u"for ", var(), u" := 0 to ", var(), u".Count - 1 do");
            block(depth);
            line(u"end;");
            break;
        case 8: {
            const QStringView v = var();
            line(u"while not ", v, u".Eof do");
            block(depth);
            ++m_indent;
            line(v, u".Next;");
            --m_indent;
            line(u"end;");
            break;
        }
        case 9:
            line(u"repeat");
            ++m_indent;
            statements(m_rng.between(1, 3), depth + 1);
            --m_indent;
            line(u"until ", condition(), u";");
            break;
        case 10: {
            const QStringView v = var();
            line(v, u" := ", m_rng.pick(kConstructors), u";");
            line(u"try");
            ++m_indent;
            statements(m_rng.between(1, 4), depth + 1);
            --m_indent;
            line(u"finally");
            line(u"  ", v, u".Free;");
            line(u"end;");
            break;
        }
        case 11:
            line(u"try");
            ++m_indent;
            statements(m_rng.between(1, 3), depth + 1);
            --m_indent;
            line(u"except");
            line(u"  on E: Exception do");
            line(u"    ShowMessage('出错：' + E.Message);");
            line(u"end;");
            break;
        case 12: {
            line(u"case ", var(), u" of");
            ++m_indent;
            const int arms = m_rng.between(2, 4);
            for (int arm = 0; arm < arms; ++arm)
                line(arm, u": ", var(), u" := ", expression(), u";");
            line(u"else");
            line(u"  ", routineName(), u";");
            --m_indent;
            line(u"end;");
            break;
        }
        case 13:
            line(u"with ", var(), u" do");
            block(depth);
            line(u"end;");
            break;
        case 14:
            line(u"{$IFDEF ", m_rng.pick(kDefines), u"}");
            line(u"OutputDebugString(PChar(", string(), u" + ", var(), u"));");
            line(u"{$ENDIF}");
            break;
        default:
            line(u"Memo1.Lines.Add(Format(", string(), u", [", var(), u"]));");
            break;
        }
    }

    void varSection() {
        m_locals.clear();
        const int n = m_rng.between(0, 5);
        if (n == 0)
            return;
        line(u"var");
        for (int i = 0; i < n; ++i) {
            const Local &local = m_rng.pick(kLocals);
            if (std::any_of(m_locals.begin(), m_locals.end(),
                            [&](const Local &l) { return l.name == local.name; }))
                continue;
            m_locals.push_back(local);
            line(u"  ", local.name, u": ", local.type, u";");
        }
    }

    QString parameters() {
        const int n = m_rng.between(0, 3);
        QString p;
        for (int i = 0; i < n; ++i) {
            if (i > 0)
                p += u"; ";
            if (m_rng.chance(25))
                p += m_rng.chance(50) ? u"const " : u"var ";
            put(p, cat(u"A", m_rng.pick(kNouns), u": ", m_rng.pick(kFieldTypes)));
        }
        return n == 0 ? QString() : cat(u"(", p, u")");
    }

    void body() {
        line(u"begin");
        ++m_indent;
        statements(m_rng.between(2, 6), 0);
        --m_indent;
        line(u"end;");
    }

    void routine() {
        if (m_rng.chance(25))
            line(u"// ", comment());
        if (m_rng.chance(45)) {
            line(u"function ", routineName(), parameters(), u": ", m_rng.pick(kFieldTypes), u";");
            varSection();
            line(u"begin");
            ++m_indent;
            line(u"Result := ", expression(), u";");
            statements(m_rng.between(1, 5), 0);
            --m_indent;
            line(u"end;");
        } else {
            line(u"procedure ", routineName(), parameters(), u";");
            varSection();
            body();
        }
        m_locals.clear();
    }

    void method() {
        line(u"procedure ", className(), u".", routineName(), parameters(), u";");
        varSection();
        body();
        m_locals.clear();
    }

    // `budget` > 0 keeps an example's single handler near its target size.
    void eventHandler(int budget) {
        static constexpr QStringView kControls[] = {u"Button1",    u"Button2", u"btnOK",
                                                    u"FormCreate", u"Timer1",  u"ListView1",
                                                    u"Edit1",      u"N1"};
        static constexpr QStringView kEvents[] = {u"Click",    u"Change",   u"Timer",
                                                  u"DblClick", u"KeyPress", u"Show"};
        line(u"procedure TForm", m_rng.between(1, 3), u".", m_rng.pick(kControls),
             m_rng.pick(kEvents), u"(Sender: TObject);");
        varSection();
        line(u"begin");
        ++m_indent;
        const qsizetype start = m_out.size();
        if (budget > 0) {
            while (m_out.size() - start < budget - 40)
                statement(2);
        } else {
            statements(m_rng.between(2, 5), 0);
        }
        --m_indent;
        line(u"end;");
        m_locals.clear();
    }

    void classDeclaration() {
        line(u"type");
        ++m_indent;
        line(className(), u" = class(", m_rng.pick(kBaseClasses), u")");
        line(u"private");
        ++m_indent;
        const int fields = m_rng.between(1, 4);
        const QStringView property = m_rng.pick(kNouns);
        const QStringView propertyType = m_rng.pick(kFieldTypes);
        line(u"F", property, u": ", propertyType, u";");
        for (int i = 1; i < fields; ++i)
            line(u"F", m_rng.pick(kNouns), u": ", m_rng.pick(kFieldTypes), u";");
        if (m_rng.chance(40))
            line(u"procedure Set", m_rng.pick(kNouns), u"(const Value: ", m_rng.pick(kFieldTypes),
                 u");");
        --m_indent;
        if (m_rng.chance(30)) {
            line(u"protected");
            line(u"  procedure Execute; override;");
        }
        line(u"public");
        ++m_indent;
        line(u"constructor Create", m_rng.chance(50) ? u"(AOwner: TComponent); override;" : u";");
        line(u"destructor Destroy; override;");
        const int methods = m_rng.between(1, 4);
        for (int i = 0; i < methods; ++i) {
            if (m_rng.chance(50))
                line(u"function ", routineName(), parameters(), u": ", m_rng.pick(kFieldTypes),
                     u";");
            else
                line(u"procedure ", routineName(), parameters(), u";");
        }
        line(u"property ", property, u": ", propertyType, u" read F", property, u" write F",
             property, u";");
        --m_indent;
        line(u"end;");
        --m_indent;
    }

    void recordType() {
        line(u"type");
        ++m_indent;
        const QStringView noun = m_rng.pick(kNouns);
        line(u"P", noun, u"Info = ^T", noun, u"Info;");
        line(u"T", noun, u"Info = ", m_rng.chance(40) ? u"packed record" : u"record");
        ++m_indent;
        const int fields = m_rng.between(2, 6);
        for (int i = 0; i < fields; ++i)
            line(m_rng.pick(kNouns), u": ", m_rng.pick(kFieldTypes), u";");
        if (m_rng.chance(30))
            line(u"Reserved: array[0..", int(m_rng.between(3, 63)), u"] of Byte;");
        --m_indent;
        line(u"end;");
        --m_indent;
    }

    void constSection() {
        line(u"const");
        ++m_indent;
        const int n = m_rng.between(2, 5);
        for (int i = 0; i < n; ++i) {
            const QString name = cat(u"C_", m_rng.pick(kNouns).toString().toUpper(), u"_",
                                     m_rng.pick(kVerbs).toString().toUpper());
            if (m_rng.chance(50))
                line(name, u" = ", string(), u";");
            else if (m_rng.chance(30))
                line(name, u" = ", number(), u"; // ", comment());
            else
                line(name, u" = ", number(), u";");
        }
        --m_indent;
    }

    void directiveBlock() {
        const QStringView define = m_rng.pick(kDefines);
        line(m_rng.chance(70) ? u"{$IFDEF " : u"{$IFNDEF ", define, u"}");
        if (m_rng.chance(40)) {
            line(u"uses");
            line(u"  ", m_rng.pick(kUnits), u", ", m_rng.pick(kUnits), u";");
        } else {
            line(u"const");
            line(u"  PathDelim = '\\';");
            line(u"  LineBreak = #13#10;");
        }
        line(u"{$ELSE}");
        line(u"const");
        line(u"  PathDelim = '/';");
        line(u"  LineBreak = #10;");
        line(u"{$ENDIF}");
    }

    void blockComment() {
        switch (m_rng.below(3)) {
        case 0:
            line(u"{-----------------------------------------------------------------");
            line(u"  函数名: ", routineName());
            line(u"  作者:   ", m_rng.pick(kAuthors));
            line(u"  日期:   ", m_rng.between(2003, 2015), u"-", m_rng.between(10, 12), u"-",
                 m_rng.between(10, 28));
            line(u"  说明:   ", comment());
            line(u"------------------------------------------------------------------}");
            break;
        case 1:
            line(u"(* ", m_rng.pick(kCommentsEn), u" *)");
            break;
        default:
            line(u"{ ", m_rng.pick(kCommentsCn), u" }");
            break;
        }
    }

    void unitHeader() {
        line(u"unit U", m_rng.pick(kNouns), m_rng.pick(kClassSuffixes), u";");
        blank();
        line(u"interface");
        blank();
        line(u"uses");
        QString uses;
        const int n = m_rng.between(3, 8);
        for (int i = 0; i < n; ++i) {
            if (i > 0)
                uses += u", ";
            uses += m_rng.pick(kUnits);
        }
        line(u"  ", uses, u";");
        blank();
        if (m_rng.chance(50)) {
            classDeclaration();
            blank();
        }
        line(u"implementation");
        if (m_rng.chance(50)) {
            blank();
            line(u"{$R *.dfm}");
        }
    }

    Random &m_rng;
    QString &m_out;
    int m_indent = 0;
    std::vector<Local> m_locals;
};

// ---------------------------------------------------------------------------
// Folders, titles and notes

struct Category {
    QStringView name;
    std::vector<QStringView> sections;
    std::vector<QStringView> subjects;
};

const std::vector<Category> &categories() {
    static const std::vector<Category> list = {
        {u"VCL 控件",
         {u"TListView", u"TTreeView", u"TStringGrid", u"TEdit 与 TMemo", u"菜单与工具栏", u"窗体"},
         {u"TListView", u"TTreeView", u"TStringGrid", u"TMemo", u"TEdit", u"TComboBox",
          u"TPageControl", u"TStatusBar", u"TPopupMenu", u"TForm", u"TPanel", u"TImage"}},
        {u"数据库",
         {u"ADO", u"BDE", u"SQL 语句", u"DBGrid", u"Access", u"事务"},
         {u"ADO", u"TADOQuery", u"TADOConnection", u"TDBGrid", u"TClientDataSet", u"Access 数据库",
          u"SQL Server", u"SQLite", u"TQuery", u"存储过程", u"TDataSource", u"DBExpress"}},
        {u"字符串处理",
         {u"字符串查找", u"格式化", u"编码转换", u"正则表达式", u"TStringList", u"分割与合并"},
         {u"TStringList", u"Pos", u"StringReplace", u"Format", u"Copy", u"UTF8", u"WideString",
          u"AnsiString", u"Trim", u"IntToStr", u"QuotedStr", u"PChar"}},
        {u"文件操作",
         {u"文件读写", u"目录遍历", u"INI 文件", u"文件流", u"压缩", u"路径处理"},
         {u"TFileStream", u"FindFirst", u"TIniFile", u"TMemoryStream", u"ExtractFilePath",
          u"CopyFile", u"TRegistry", u"AssignFile", u"BlockRead", u"SHFileOperation",
          u"ForceDirectories"}},
        {u"网络",
         {u"Indy", u"Socket", u"HTTP", u"FTP", u"邮件", u"IP 地址"},
         {u"TIdHTTP", u"TClientSocket", u"TServerSocket", u"TIdFTP", u"TIdSMTP", u"WinInet", u"URL",
          u"TIdTCPServer", u"gethostbyname", u"UDP", u"TWebBrowser"}},
        {u"算法",
         {u"排序", u"查找", u"加密", u"校验", u"数学", u"数据结构"},
         {u"快速排序", u"二分查找", u"MD5", u"CRC32", u"Base64", u"链表", u"哈希表", u"冒泡排序",
          u"栈", u"队列", u"随机数", u"大数运算"}},
        {u"Windows API",
         {u"窗口消息", u"进程", u"注册表", u"剪贴板", u"系统信息", u"钩子"},
         {u"SendMessage", u"FindWindow", u"CreateProcess", u"ShellExecute", u"GetSystemMetrics",
          u"SetWindowsHookEx", u"RegOpenKeyEx", u"GetTickCount", u"TerminateProcess", u"Clipboard",
          u"GetVersionEx"}},
        {u"多线程",
         {u"TThread", u"同步", u"临界区", u"线程池", u"消息队列"},
         {u"TThread", u"Synchronize", u"TCriticalSection", u"WaitForSingleObject", u"CreateEvent",
          u"TMultiReadExclusiveWriteSynchronizer", u"Mutex", u"InterlockedIncrement",
          u"PostThreadMessage", u"TEvent"}},
        {u"图形图像",
         {u"TCanvas", u"位图", u"JPEG", u"打印", u"图标", u"颜色"},
         {u"TCanvas", u"TBitmap", u"TJPEGImage", u"ScanLine", u"StretchDraw", u"TPrinter", u"TIcon",
          u"BitBlt", u"TPngImage", u"RGB", u"GDI+"}},
        {u"系统工具",
         {u"托盘图标", u"快捷键", u"开机启动", u"日志", u"配置", u"调试"},
         {u"TrayIcon", u"RegisterHotKey", u"TTimer", u"OutputDebugString", u"TApplication",
          u"GetTempPath", u"Shell_NotifyIcon", u"WinExec", u"TIniFile", u"ParamStr"}},
    };
    return list;
}

constexpr QStringView kActionsCn[] = {
    u"排序", u"查找", u"读取", u"保存", u"遍历", u"连接", u"转换", u"初始化", u"释放", u"显示",
    u"过滤", u"刷新", u"复制", u"比较", u"加密", u"解析", u"导出", u"导入",   u"打印", u"拖放"};

constexpr QStringView kActionsEn[] = {u"demo", u"example", u"sample",     u"usage",
                                      u"tips", u"wrapper", u"workaround", u"test"};

constexpr QStringView kLeafWords[] = {u"基础",     u"进阶", u"技巧", u"示例",
                                      u"常见问题", u"收集", u"源码", u"笔记"};

constexpr QStringView kNotes[] = {u"在 Delphi 7 下测试通过。",
                                  u"来自网上收集，略作修改。",
                                  u"D2010 以后的版本要改成 UnicodeString。",
                                  u"速度比较快，适合大量数据。",
                                  u"有内存泄漏的问题，待修正。",
                                  u"用之前记得先创建对象。",
                                  u"XP 和 Win7 下都能用。",
                                  u"参考了帮助文档里的例子。",
                                  u"比原来的写法简洁很多。",
                                  u"线程里调用要加 Synchronize。",
                                  u"注意：需要引用 ShellAPI 单元。",
                                  u"64 位系统下没有测试过。",
                                  u"朋友发给我的，收藏一下。",
                                  u"可以直接复制到工程里用。",
                                  u"中文路径要特别处理。",
                                  u"这个方法在论坛上讨论过很多次。"};

QString articleTitle(Random &rng, const Category &category, int number) {
    const auto &subjects = category.subjects;
    const QStringView &subject = subjects[rng.below(quint32(subjects.size()))];
    const QStringView action = rng.pick(kActionsCn);
    switch (rng.below(9)) {
    case 0:
        return cat(subject, u" ", action, u"示例 ", number);
    case 1:
        return cat(u"用 ", subject, u" 实现", action, u" ", number);
    case 2:
        return cat(u"如何", action, u" ", subject, u" ", number);
    case 3:
        return cat(subject, u" 的", action, u"方法 ", number);
    case 4:
        return cat(subject, u" ", action, u" (", number, u")");
    case 5:
        return cat(subject, u" 常见问题 ", number);
    case 6: {
        // Another subject of the same category, never the first one again.
        const quint32 first = quint32(&subject - subjects.data());
        const quint32 other =
            (first + 1 + rng.below(quint32(subjects.size() - 1))) % quint32(subjects.size());
        return cat(subject, u" 与 ", subjects[other], u" ", number);
    }
    case 7:
        return cat(u"[转] ", subject, u" ", action, u"技巧 ", number);
    default:
        return cat(subject, u" ", rng.pick(kActionsEn), u" ", number);
    }
}

QString notes(Random &rng) {
    if (rng.chance(20))
        return QStringLiteral("");
    const quint32 first = rng.below(std::size(kNotes));
    QString s = kNotes[first].toString();
    if (rng.chance(40))
        s += kNotes[(first + 1 + rng.below(std::size(kNotes) - 1)) % std::size(kNotes)];
    return s;
}

// ---------------------------------------------------------------------------
// Database

// Splits a script into statements. Quotes and comments are honoured so a `;`
// inside them does not end a statement.

struct Options {
    int articles = 10000;
    quint32 seed = 1;
    int bookmarks = 20;
    QString output;
};

struct Totals {
    int folders = 0;
    int articles = 0;
    int bookmarks = 0;
};

class Failure {
public:
    explicit Failure(QString message) : m_message(std::move(message)) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

void exec(QSqlQuery &query, const QString &sql) {
    if (!query.exec(sql))
        throw Failure(cat(sql, u": ", query.lastError().text()));
}

void exec(QSqlQuery &query) {
    if (!query.exec())
        throw Failure(cat(u"insert failed: ", query.lastError().text()));
}

Totals generate(QSqlDatabase &db, const Options &opt) {
    Random rng(opt.seed);
    Totals totals;
    QSqlQuery query(db);

    // Nothing is worth protecting until the file is complete: a failed run
    // deletes it anyway.
    exec(query, QStringLiteral("PRAGMA journal_mode=OFF"));
    exec(query, QStringLiteral("PRAGMA synchronous=OFF"));
    exec(query, QStringLiteral("PRAGMA cache_size=-65536"));
    try {
        NoteSchema::create(db);
    } catch (const StoreError &e) {
        throw Failure(e.message());
    }

    if (!db.transaction())
        throw Failure(cat(u"cannot begin: ", db.lastError().text()));

    QSqlQuery folder(db);
    if (!folder.prepare(QStringLiteral(
            "INSERT INTO delphi (NodeId, ParentId, Title, type) VALUES (?, ?, ?, 0)")))
        throw Failure(folder.lastError().text());
    QSqlQuery article(db);
    if (!article.prepare(QStringLiteral(
            "INSERT INTO delphi (NodeId, ParentId, Title, type, info, Demoinfo, Richinfo, "
            "CreateTime, Read, shuqian) VALUES (?, ?, ?, 1, ?, ?, ?, ?, ?, ?)")))
        throw Failure(article.lastError().text());

    int nextId = 1;
    auto addFolder = [&](int parent, const QString &title) {
        const int id = nextId++;
        folder.bindValue(0, id);
        folder.bindValue(1, parent);
        folder.bindValue(2, title);
        exec(folder);
        ++totals.folders;
        return id;
    };

    // Sections (second level) in round-robin order over the categories, so a
    // small notebook still fills every category before doubling up in one.
    struct Section {
        int parent;
        int id;
        const Category *category;
        QStringView name;
    };
    std::vector<std::vector<Section>> perCategory;
    for (const Category &c : categories()) {
        const int id = addFolder(0, c.name.toString());
        std::vector<Section> sections;
        for (QStringView name : c.sections)
            sections.push_back({id, 0, &c, name});
        perCategory.push_back(std::move(sections));
    }
    std::vector<Section> sections;
    for (std::size_t round = 0;; ++round) {
        bool any = false;
        for (const auto &list : perCategory) {
            if (round < list.size()) {
                sections.push_back(list[round]);
                any = true;
            }
        }
        if (!any)
            break;
    }
    for (Section &s : sections)
        s.id = addFolder(s.parent, s.name.toString());

    // Folders that hold articles: the sections themselves while they suffice,
    // otherwise a third level of folders under each section.
    const int needed = (opt.articles + kArticlesPerFolder - 1) / kArticlesPerFolder;
    const int sectionCount = int(sections.size());
    const bool thirdLevel = needed > sectionCount;

    std::vector<bool> bookmarked(std::size_t(opt.articles), false);
    {
        std::vector<int> order(std::size_t(opt.articles));
        for (int i = 0; i < opt.articles; ++i)
            order[std::size_t(i)] = i;
        for (int i = 0; i < opt.bookmarks; ++i) {
            const int j = i + int(rng.below(quint32(opt.articles - i)));
            std::swap(order[std::size_t(i)], order[std::size_t(j)]);
            bookmarked[std::size_t(order[std::size_t(i)])] = true;
        }
    }

    const qint64 firstDay = QDate(2008, 1, 1).toJulianDay();
    const qint64 lastDay = QDate(2024, 12, 31).toJulianDay();
    const QString empty = QStringLiteral("");
    QString info;
    QString demo;
    int articleIndex = 0;
    auto addArticles = [&](int parent, const Category &category, int count) {
        for (int i = 0; i < count; ++i, ++articleIndex) {
            info.clear();
            CodeWriter(rng, info).article(rng.between(700, 3200), 4200);
            const bool hasDemo = rng.chance(20);
            if (hasDemo) {
                demo.clear();
                CodeWriter(rng, demo).example(rng.between(400, 850));
            }
            const QDate date =
                QDate::fromJulianDay(firstDay + rng.below(quint32(lastDay - firstDay + 1)));
            const bool mark = bookmarked[std::size_t(articleIndex)];

            article.bindValue(0, nextId++);
            article.bindValue(1, parent);
            article.bindValue(2, articleTitle(rng, category, articleIndex + 1));
            article.bindValue(3, info);
            article.bindValue(4, hasDemo ? demo : empty);
            article.bindValue(5, notes(rng));
            article.bindValue(6, date.toString(u"yyyy-MM-dd"));
            article.bindValue(7, rng.between(0, 500));
            article.bindValue(8, mark ? 1 : 0);
            exec(article);
            ++totals.articles;
            totals.bookmarks += mark ? 1 : 0;
        }
    };

    // `needed` folders of about fifty articles each. Neighbours trade up to
    // 30 % of their share so folder sizes vary while the total stays exact.
    std::vector<int> shares;
    for (int i = 0; i < needed; ++i)
        shares.push_back(opt.articles / needed + (i < opt.articles % needed ? 1 : 0));
    for (std::size_t i = 0; i + 1 < shares.size(); i += 2) {
        const int room = std::min(shares[i], shares[i + 1]) * 3 / 10;
        const int delta = rng.between(-room, room);
        shares[i] += delta;
        shares[i + 1] -= delta;
    }
    std::size_t container = 0;
    if (!thirdLevel) {
        for (int s = 0; s < needed; ++s)
            addArticles(sections[std::size_t(s)].id, *sections[std::size_t(s)].category,
                        shares[container++]);
    } else {
        for (int s = 0; s < sectionCount; ++s) {
            const Section &section = sections[std::size_t(s)];
            const int leaves = needed / sectionCount + (s < needed % sectionCount ? 1 : 0);
            for (int leaf = 0; leaf < leaves; ++leaf) {
                const Category &c = *section.category;
                const QStringView subject = c.subjects[rng.below(quint32(c.subjects.size()))];
                const int id =
                    addFolder(section.id, cat(subject, u" ", rng.pick(kLeafWords), u" ", leaf + 1));
                addArticles(id, c, shares[container++]);
            }
        }
    }

    if (!db.commit())
        throw Failure(cat(u"cannot commit: ", db.lastError().text()));
    folder.finish();
    article.finish();

    // Readers expect an ordinary rollback journal.
    exec(query, QStringLiteral("PRAGMA journal_mode=DELETE"));
    exec(query, QStringLiteral("PRAGMA synchronous=FULL"));
    return totals;
}

int parseCount(const QCommandLineParser &parser, const QString &name, int fallback) {
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < 0)
        throw Failure(cat(u"--", name, u" needs a whole number of 0 or more, not \"",
                          parser.value(name), u"\""));
    return value;
}

Options parseOptions(const QCoreApplication &app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a synthetic notebook of folders and code articles."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("articles"),
                      QStringLiteral("Number of articles (default 10000)."), QStringLiteral("N")});
    parser.addOption({QStringLiteral("seed"),
                      QStringLiteral("Random seed; the same seed gives the same file (default 1)."),
                      QStringLiteral("S")});
    parser.addOption({QStringLiteral("bookmarks"),
                      QStringLiteral("Number of bookmarked articles (default 20, at most N)."),
                      QStringLiteral("K")});
    parser.addPositionalArgument(QStringLiteral("OUTPUT"),
                                 QStringLiteral("Notebook file to create; must not exist."));
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        throw Failure(QStringLiteral("expected exactly one OUTPUT file (see --help)"));

    Options opt;
    opt.output = positional.first();
    opt.articles = parseCount(parser, QStringLiteral("articles"), opt.articles);
    // The default never asks for more bookmarks than there are articles.
    opt.bookmarks =
        parseCount(parser, QStringLiteral("bookmarks"), std::min(opt.bookmarks, opt.articles));
    if (opt.bookmarks > opt.articles)
        throw Failure(
            cat(u"cannot bookmark ", opt.bookmarks, u" of only ", opt.articles, u" articles"));
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        opt.seed = parser.value(QStringLiteral("seed")).toUInt(&ok);
        if (!ok)
            throw Failure(cat(u"--seed needs a whole number from 0 to 4294967295, not \"",
                              parser.value(QStringLiteral("seed")), u"\""));
    }
    return opt;
}

void fail(const QString &message) {
    QTextStream(stderr) << "quillbox-gennotebook: " << message << Qt::endl;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillbox-gennotebook"));

    Options opt;
    try {
        opt = parseOptions(app);
    } catch (const Failure &f) {
        fail(f.message());
        return 1;
    }

    // A symlink that points nowhere still names something we would clobber.
    const QFileInfo target(opt.output);
    if (target.exists() || target.isSymLink()) {
        fail(cat(opt.output, u" already exists; not overwriting it"));
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    Totals totals;
    QString error;
    const QString connection = QStringLiteral("gennotebook");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(opt.output);
        if (!db.open()) {
            error = cat(u"cannot create ", opt.output, u": ", db.lastError().text());
        } else {
            try {
                totals = generate(db, opt);
            } catch (const Failure &f) {
                error = f.message();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);

    if (!error.isEmpty()) {
        // The file did not exist before this run, so a half-written one goes.
        QFile::remove(opt.output);
        fail(error);
        return 1;
    }

    const qint64 bytes = QFileInfo(opt.output).size();
    std::printf("%s: %d rows (%d folders, %d articles, %d bookmarked), %lld bytes (%.1f MiB), "
                "%.1f s\n",
                qPrintable(opt.output), totals.folders + totals.articles, totals.folders,
                totals.articles, totals.bookmarks, static_cast<long long>(bytes),
                double(bytes) / (1024.0 * 1024.0), double(timer.elapsed()) / 1000.0);
    return 0;
}
