#include "store/RowFilter.h"
#include "store/StoreError.h"
#include "store/TitlePattern.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

class TestTitlePattern : public QObject {
    Q_OBJECT
private slots:
    void cases_data();
    void cases();
    void agreesWithSqliteLike();
    void pathologicalPatternStaysFast();
    void filterTexts_data();
    void filterTexts();
};

void TestTitlePattern::cases_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("matches");
    QTest::newRow("contains") << "%abc%"
                              << "xxABCyy" << true;
    QTest::newRow("case both ways") << "%Abc%"
                                    << "the abc" << true;
    QTest::newRow("missing") << "%abd%"
                             << "abc" << false;
    QTest::newRow("empty pattern, empty title") << ""
                                                << "" << true;
    QTest::newRow("empty pattern") << ""
                                   << "a" << false;
    QTest::newRow("percent only") << "%"
                                  << "" << true;
    QTest::newRow("underscore one") << "a_c"
                                    << "abc" << true;
    QTest::newRow("underscore needs one") << "a_c"
                                          << "ac" << false;
    QTest::newRow("underscore in contains") << "%a_c%"
                                            << "xa-cx" << true;
    QTest::newRow("percent in keyword") << "%100%%"
                                        << "costs 1000" << true;
    QTest::newRow("anchored start") << "abc%"
                                    << "xabc" << false;
    QTest::newRow("anchored end") << "%abc"
                                  << "abcx" << false;
    QTest::newRow("quote") << "%it's%"
                           << "IT'S here" << true;
    QTest::newRow("chinese") << "%数据库%"
                             << "ADO 连接 Access 数据库" << true;
    QTest::newRow("latin accents") << "%école%"
                                   << "ÉCOLE" << true;
    QTest::newRow("cyrillic") << "%дом%"
                              << "ДОМ" << true;
    QTest::newRow("greek") << "%σοφ%"
                           << "ΣΟΦΙΑ" << true;
    QTest::newRow("emoji is one char") << "a_b" << QString::fromUtf8("a\U0001F600b") << true;
    QTest::newRow("backslash literal") << "%a\\b%"
                                       << "xa\\by" << true;
    QTest::newRow("bracket literal") << "%[x]%"
                                     << "a[x]b" << true;
    QTest::newRow("bracket is no class") << "%[x]%"
                                         << "axb" << false;
    QTest::newRow("backtracking") << "%ab%ab%"
                                  << "aabab" << true;
    QTest::newRow("backtracking fails") << "%ab%abc"
                                        << "ababab" << false;
}

void TestTitlePattern::cases() {
    QFETCH(QString, pattern);
    QFETCH(QString, title);
    QFETCH(bool, matches);
    QCOMPARE(TitlePattern(pattern).matches(title), matches);
}

// SQLite's LIKE ignores case for ASCII letters; on ASCII the two must agree.
void TestTitlePattern::agreesWithSqliteLike() {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("like"));
    db.setDatabaseName(QStringLiteral(":memory:"));
    QVERIFY(db.open());
    QSqlQuery q(db);
    QVERIFY(q.prepare(QStringLiteral("SELECT ? LIKE ?")));
    QRandomGenerator rng(20261211);
    const QString titleChars = QStringLiteral("abAB_%x ");
    const QString patternChars = QStringLiteral("aAbB%_x");
    // A leading "y" keeps empty texts from being bound as NULL.
    auto randomText = [&](const QString &alphabet, int maxLen) {
        QString s = QStringLiteral("y");
        const int n = int(rng.bounded(maxLen + 1));
        for (int i = 0; i < n; ++i)
            s += alphabet[int(rng.bounded(alphabet.size()))];
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        const QString title = randomText(titleChars, 8);
        const QString pattern = randomText(patternChars, 6);
        q.addBindValue(title);
        q.addBindValue(pattern);
        QVERIFY(q.exec() && q.next());
        const bool expected = q.value(0).toInt() == 1;
        if (TitlePattern(pattern).matches(title) != expected)
            QFAIL(qPrintable(QStringLiteral("'%1' LIKE '%2' should be %3")
                                 .arg(title, pattern, expected ? "true" : "false")));
    }
}

// Many "%" against a long near-miss: exponential matchers never return.
void TestTitlePattern::pathologicalPatternStaysFast() {
    const QString title = QString(5000, u'a');
    const QString pattern = QStringLiteral("%a%a%a%a%a%a%a%a%a%a%a%a%b");
    QElapsedTimer t;
    t.start();
    QVERIFY(!TitlePattern(pattern).matches(title));
    QVERIFY2(t.elapsed() < 2000, "matching must stay linear in title x pattern");
}

void TestTitlePattern::filterTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("type=0 folder") << "type=0"
                                   << "0" << true;
    QTest::newRow("type=0 article") << "type=0"
                                    << "1" << false;
    QTest::newRow("spaces") << " TYPE = 0 "
                            << "0" << true;
    QTest::newRow("like") << "title like '%abc%'"
                          << "xABCx" << true;
    QTest::newRow("like doubled quote") << "title like '%it''s%'"
                                        << "it's" << true;
    QTest::newRow("like upper keyword") << "Title LIKE '%a%'"
                                        << "b" << false;
}

void TestTitlePattern::filterTexts() {
    QFETCH(QString, text);
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    QCOMPARE(RowFilter::parse(text).accepts(value), accepted);
}

QTEST_GUILESS_MAIN(TestTitlePattern)
#include "tst_titlepattern.moc"
