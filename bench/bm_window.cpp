// The main window against its floors. Each figure is printed beside a floor
// measured in the same run and interleaved with it, so the ratio still means
// something on a busy machine:
//
//   - opening: the window built, shown and painted once over a notebook,
//     beside the data module alone (DataModuleCreate) on the same file;
//   - a folder-tree click on an article, beside plain SQLite reading that
//     row by NodeId and writing its raised read counter;
//   - a keystroke in the search box until the folder tree has repainted,
//     beside SQLite's own LIKE scan (and the plain scan when cleared).
//
// A table of medians, ratios and goals closes the run.
//
//   bm_window [--benchmark_filter=REGEX]
//
// Notebooks come from BenchNotebook: QUILLBOX_BENCH_DIR, generated when missing.
// Everything that writes works on a copy.

#include "BenchCommon.h"
#include "BenchNotebook.h"
#include "store/NoteColumns.h"
#include "store/NoteTable.h"
#include "store/UDM.h"
#include "ui/CodeEditor.h"
#include "ui/MsgBox.h"
#include "ui/NoteTreeModel.h"
#include "ui/NoteTreeView.h"
#include "ui/QuillboxApplication.h"
#include "ui/UFrmain.h"

#include <QLineEdit>
#include <QPointer>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace BenchCommon;

// A message box would wait for a user who is not there; any box the program
// asks for is answered No and fails the benchmark that caused it.
QStringList g_boxes;

// ---------------------------------------------------------------------------
// Ours

// Counts paint events of the widgets it watches.
class PaintWatch : public QObject {
public:
    void watch(QWidget *w) { w->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// Runs the event loop until `watch` has seen a paint more than `before`.
void pumpUntilPainted(const PaintWatch &watch, int before) {
    const auto start = Clock::now();
    while (watch.count <= before) {
        QApplication::processEvents();
        if (msSince(start) > 10000)
            throw std::runtime_error("the window was not painted within 10 s");
    }
}

void flushDeletes() {
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A data module and its main window, built, shown and painted once; the
// window goes first when it ends, as in the program.
struct OpenWindow {
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TFrmain> w;
    PaintWatch treePaints;

    explicit OpenWindow(const QString &path) {
        dm = openNotebook(path);
        w = std::make_unique<TFrmain>();
        Frmain = w.get();
        treePaints.watch(w->cxDBTreeList1->viewport());
        w->show();
        pumpUntilPainted(treePaints, 0);
    }
    ~OpenWindow() {
        Frmain = nullptr;
        w.reset();
        flushDeletes();
        dm.reset();
    }
    OpenWindow(const OpenWindow &) = delete;
    OpenWindow &operator=(const OpenWindow &) = delete;
};

// BenchCommon::guarded, and a message box the program asked for fails it too.
template <typename Body> bool guarded(benchmark::State &state, Body &&body) {
    return BenchCommon::guarded(state, [&] {
        g_boxes.clear();
        body();
        if (!g_boxes.isEmpty())
            throw std::runtime_error("the program asked: " + g_boxes.join(" | ").toStdString());
    });
}

// ---------------------------------------------------------------------------
// 1. Opening: the data module on the file (DataModuleCreate, the floor),
//    then the main window built, shown and run until its folder tree has
//    been painted once.

void BM_WindowOpen(benchmark::State &state, int articles) {
    QString path;
    // One untimed round first: the page cache, and the one-time set-up of
    // SQLite, the Qt SQL driver, fonts, styles and resources.
    if (!guarded(state, [&] {
            path = BenchNotebook::path(articles);
            BenchNotebook::warmPageCache(path);
            OpenWindow warm(path);
        }))
        return;

    std::vector<double> tdm, window, tdmCpu, windowCpu;
    for (auto _ : state) {
        const bool ok = guarded(state, [&] {
            Lap lap;
            std::unique_ptr<TDM> dm = openNotebook(path);
            tdm.push_back(lap.wallMs());
            tdmCpu.push_back(lap.cpuMs());

            lap = Lap();
            auto w = std::make_unique<TFrmain>();
            Frmain = w.get();
            PaintWatch paints;
            paints.watch(w->cxDBTreeList1->viewport());
            w->show();
            pumpUntilPainted(paints, 0);
            window.push_back(lap.wallMs());
            windowCpu.push_back(lap.cpuMs());
            state.SetIterationTime((tdm.back() + window.back()) / 1000.0);

            // Closing is not part of opening.
            Frmain = nullptr;
            w.reset();
            flushDeletes();
            dm.reset();
        });
        if (!ok)
            break;
    }
    const double d = median(tdm), w = median(window);
    state.counters["tdm_ms"] = d;
    state.counters["window_ms"] = w;
    state.counters["x_tdm"] = (d + w) / d;
    state.counters["x_tdm_cpu"] = (median(tdmCpu) + median(windowCpu)) / median(tdmCpu);
    const std::string n = std::to_string(articles);
    keep("open" + n, window, tdm);
    keep("openCpu" + n, windowCpu, tdmCpu);
}

// ---------------------------------------------------------------------------
// 2. A folder-tree click on an article: the row made current as a click
//    makes it, then the click handler, which reads the row, fills both
//    editors, the notes and the captions and posts the raised read counter.
//    Floor: the row read by NodeId and the counter written, autocommitted,
//    with plain SQLite on the same copy. Both sides work in blocks: each
//    connection then finds its page cache stale only at the start of a
//    block, as after another program wrote.

enum class ArticleSize { Small, Huge };

constexpr int kHugeBytes = 1 << 20;

// Adds one article of about 1 MiB of code (made of the lines of existing
// articles) under the first folder, and returns its NodeId.
qint64 addHugeArticle(const PlainDb &db) {
    QByteArray code;
    {
        Statement source(db, "SELECT info FROM delphi WHERE type=1 AND length(info)>0 "
                             "ORDER BY NodeId LIMIT 200");
        while (code.size() < kHugeBytes) {
            const int rc = sqlite3_step(source.handle());
            if (rc == SQLITE_DONE) {
                sqlite3_reset(source.handle());
                continue;
            }
            if (rc != SQLITE_ROW)
                source.fail();
            code.append(reinterpret_cast<const char *>(sqlite3_column_text(source.handle(), 0)),
                        sqlite3_column_bytes(source.handle(), 0));
            code.append("\r\n");
        }
    }
    code.truncate(code.lastIndexOf('\n', kHugeBytes) + 1);
    Statement insert(db, "INSERT INTO delphi (ParentId, Title, type, info, Demoinfo, Richinfo, "
                         "CreateTime, Read, shuqian, Turn) VALUES ((SELECT min(NodeId) FROM delphi "
                         "WHERE type=0), ?, 1, ?, ?, ?, '2024-05-01', 0, 0, 0)");
    const QByteArray title = QStringLiteral("很长的单元（1 MB）").toUtf8();
    const QByteArray example = QByteArrayLiteral("begin\r\n  Run;\r\nend.\r\n");
    const QByteArray notes = QStringLiteral("整个单元的源代码。").toUtf8();
    sqlite3_stmt *s = insert.handle();
    sqlite3_bind_text(s, 1, title.constData(), int(title.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 2, code.constData(), int(code.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 3, example.constData(), int(example.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 4, notes.constData(), int(notes.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(s) != SQLITE_DONE)
        insert.fail();
    return sqlite3_last_insert_rowid(db.handle());
}

// Articles whose three texts hold about 2 KB together, spread over the notebook.
std::vector<qint64> smallArticles(const PlainDb &db, std::size_t wanted) {
    Statement select(db, "SELECT NodeId FROM delphi WHERE type=1 AND "
                         "length(CAST(info AS BLOB))+length(CAST(Demoinfo AS BLOB))+"
                         "length(CAST(Richinfo AS BLOB)) BETWEEN 1950 AND 2150 ORDER BY NodeId");
    std::vector<qint64> all;
    int rc;
    while ((rc = sqlite3_step(select.handle())) == SQLITE_ROW)
        all.push_back(sqlite3_column_int64(select.handle(), 0));
    if (rc != SQLITE_DONE)
        select.fail();
    if (all.empty())
        throw std::runtime_error("the notebook has no article of about 2 KB");
    std::vector<qint64> picked;
    const std::size_t step = std::max<std::size_t>(1, all.size() / wanted);
    for (std::size_t i = 0; i < all.size() && picked.size() < wanted; i += step)
        picked.push_back(all[i]);
    return picked;
}

void BM_TreeClick(benchmark::State &state, int articles, ArticleSize size) {
    constexpr int kBlock = 5;
    std::unique_ptr<BenchNotebook::WorkCopy> copy;
    std::unique_ptr<PlainDb> plain;
    std::unique_ptr<Statement> read, update;
    std::unique_ptr<OpenWindow> win;
    std::vector<qint64> keys;
    if (!guarded(state, [&] {
            copy = std::make_unique<BenchNotebook::WorkCopy>(BenchNotebook::path(articles));
            plain = std::make_unique<PlainDb>(copy->path());
            if (size == ArticleSize::Huge)
                keys.push_back(addHugeArticle(*plain));
            else
                keys = smallArticles(*plain, 16);
            BenchNotebook::warmPageCache(copy->path());
            read = std::make_unique<Statement>(*plain, "SELECT * FROM delphi WHERE NodeId=?");
            update = std::make_unique<Statement>(*plain, "UPDATE delphi SET Read=? WHERE NodeId=?");
            win = std::make_unique<OpenWindow>(copy->path());
        }))
        return;

    TFrmain &w = *win->w;
    NoteCursor &reg = DM->FDMemReg;
    const NoteTable *table = DM->FDQuery1.table();
    std::size_t next = 0;
    auto click = [&](qint64 key) {
        NoteRow *row = table->findByKey(key);
        if (!row)
            throw std::runtime_error("the article is not in the table");
        reg.setCurrentRow(row);
        if (reg.currentRow() != row)
            throw std::runtime_error("the article could not be made current");
        w.cxDBTreeList1Click();
    };
    int plainRead = 1000000;
    auto plainClick = [&](qint64 key) {
        sqlite3_stmt *r = read->handle();
        sqlite3_bind_int64(r, 1, key);
        if (stepAll(*read).rows != 1)
            throw std::runtime_error("the floor found no row");
        sqlite3_reset(r);
        sqlite3_stmt *u = update->handle();
        sqlite3_bind_int(u, 1, ++plainRead);
        sqlite3_bind_int64(u, 2, key);
        if (sqlite3_step(u) != SQLITE_DONE)
            update->fail();
        sqlite3_reset(u);
        if (sqlite3_changes(plain->handle()) != 1)
            throw std::runtime_error("the floor's update changed no row");
    };
    // Untimed: the first display of each kind of text, and the floor's statements.
    if (!guarded(state, [&] {
            click(keys[0]);
            QApplication::processEvents();
            if (w.shownNodeId() != QString::number(keys[0]))
                throw std::runtime_error("the click did not show the article");
            plainClick(keys[0]);
        }))
        return;

    std::vector<double> ours, floor, painted;
    for (auto _ : state) {
        const bool ok = guarded(state, [&] {
            double total = 0, paintTotal = 0;
            for (int i = 0; i < kBlock; ++i) {
                const qint64 key = keys[(next + i) % keys.size()];
                auto t = Clock::now();
                click(key);
                const double ms = msSince(t);
                total += ms;
                // What follows on screen: the editors and the tree repaint.
                QApplication::processEvents();
                paintTotal += msSince(t);
                if (w.shownNodeId() != QString::number(key))
                    throw std::runtime_error("the click did not show the article");
            }
            ours.push_back(total / kBlock);
            painted.push_back(paintTotal / kBlock);
            state.SetIterationTime(total / kBlock / 1000.0);

            auto t = Clock::now();
            for (int i = 0; i < kBlock; ++i)
                plainClick(keys[(next + i) % keys.size()]);
            floor.push_back(msSince(t) / kBlock);
            next += kBlock;
        });
        if (!ok)
            break;
    }
    const double o = median(ours), f = median(floor);
    state.counters["ours_ms"] = o;
    state.counters["withPaint_ms"] = median(painted);
    state.counters["floor_ms"] = f;
    state.counters["x_floor"] = o / f;
    state.counters["textKB"] =
        double(w.SynMemo1->wholeText().toUtf8().size() + w.SynMemo2->wholeText().toUtf8().size()) /
        1024.0;
    keep(std::string(size == ArticleSize::Huge ? "clickHuge" : "clickSmall") +
             std::to_string(articles),
         ours, floor, painted);
    win.reset();
}

// ---------------------------------------------------------------------------
// 3. A keystroke in the search box: from the text change to the folder tree
//    repainted over the new rows. Setting the text runs the handler at once
//    (textChanged); the events that follow let the view lay itself out and
//    paint. Then the keystroke that empties the box again. Floors: SQLite's
//    LIKE over the same file, and the same select without a WHERE.

void BM_SearchKeystroke(benchmark::State &state, int articles, const std::string &needle) {
    const std::string likeSql =
        "SELECT NodeId, ParentId, Title FROM delphi WHERE Title LIKE '%" + needle + "%'";
    const char *allSql = "SELECT NodeId, ParentId, Title FROM delphi";
    const QString text = QString::fromStdString(needle);
    std::unique_ptr<OpenWindow> win;
    std::unique_ptr<PlainDb> plain;
    if (!guarded(state, [&] {
            const QString path = BenchNotebook::path(articles);
            BenchNotebook::warmPageCache(path);
            win = std::make_unique<OpenWindow>(path);
            plain = std::make_unique<PlainDb>(path);
        }))
        return;
    TFrmain &w = *win->w;
    PaintWatch &paints = win->treePaints;
    qint64 floorRows = 0, allRows = 0;
    auto type = [&](const QString &t) {
        const int before = paints.count;
        w.scGPEdit1->setText(t);
        pumpUntilPainted(paints, before);
    };
    auto floorScan = [&](const char *sql) {
        Statement stmt(*plain, sql);
        return stepAll(stmt).rows;
    };
    // Untimed: one round of each.
    if (!guarded(state, [&] {
            type(text);
            type(QString());
            floorScan(likeSql.c_str());
            floorScan(allSql);
        }))
        return;

    std::vector<double> set, clear, floorSet, floorClear;
    qint64 shown = 0;
    for (auto _ : state) {
        const bool ok = guarded(state, [&] {
            auto t = Clock::now();
            type(text);
            const double ms = msSince(t);
            set.push_back(ms);
            state.SetIterationTime(ms / 1000.0);
            shown = DM->FDMemReg.recordCount();

            t = Clock::now();
            type(QString());
            clear.push_back(msSince(t));
            if (DM->FDMemReg.recordCount() != int(DM->FDQuery1.recordCount()))
                throw std::runtime_error("clearing the search did not bring every row back");

            t = Clock::now();
            floorRows = floorScan(likeSql.c_str());
            floorSet.push_back(msSince(t));
            t = Clock::now();
            allRows = floorScan(allSql);
            floorClear.push_back(msSince(t));
        });
        if (!ok)
            break;
    }
    state.counters["shown"] = double(shown);
    state.counters["floorRows"] = double(floorRows);
    state.counters["set_ms"] = median(set);
    state.counters["setFloor_ms"] = median(floorSet);
    state.counters["clear_ms"] = median(clear);
    state.counters["clearFloor_ms"] = median(floorClear);
    state.counters["x_set"] = median(set) / median(floorSet);
    state.counters["x_clear"] = median(clear) / median(floorClear);
    if (shown != floorRows)
        state.SkipWithError("the tree shows another number of rows than SQLite finds");
    benchmark::DoNotOptimize(allRows);
    keep("searchSet " + needle, set, floorSet);
    keep("searchClear " + needle, clear, floorClear);
    win.reset();
}

// ---------------------------------------------------------------------------

void registerBenchmarks() {
    using benchmark::RegisterBenchmark;
    // Fixed counts: every iteration also runs its floor, and the medians of
    // the pairs are what the closing table compares.
    RegisterBenchmark("WindowOpen/articles:10000", BM_WindowOpen, 10000)
        ->Iterations(10)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    RegisterBenchmark("WindowOpen/articles:100000", BM_WindowOpen, 100000)
        ->Iterations(5)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    // Time per click, the mean of a block of clicks.
    for (int articles : {10000, 100000})
        RegisterBenchmark(("TreeClick/article:2KB/articles:" + std::to_string(articles)).c_str(),
                          BM_TreeClick, articles, ArticleSize::Small)
            ->Iterations(20)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    RegisterBenchmark("TreeClick/article:1MB/articles:10000", BM_TreeClick, 10000,
                      ArticleSize::Huge)
        ->Iterations(6)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    // "ab" is in no generated title: every row is tried and none shown.
    // "常见" is in about one title in nine, whose folders mostly are not.
    for (const std::string needle : {"ab", "常见"})
        RegisterBenchmark(("SearchKeystroke/articles:100000/text:" + needle).c_str(),
                          BM_SearchKeystroke, 100000, needle)
            ->Iterations(15)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
}

void printSummary(FILE *out) {
    const SummaryTable table(
        out,
        "medians of every timed sample; each floor ran in the same run, interleaved with ours.", 46,
        14, 34);
    const double none = std::nan("");

    for (int articles : {10000, 100000}) {
        const std::string n = std::to_string(articles);
        const bool big = articles == 100000;
        if (const Samples *open = kept("open" + n)) {
            const double w = median(open->ours), d = median(open->floor);
            table.line("DataModuleCreate, " + n + " articles", figure(d, "ms"), "-", none, "-", -1);
            table.line("Main window open (TDM + window), " + n, figure(d + w, "ms"),
                       figure(d, "ms", "TDM alone"), (d + w) / d, big ? "<= 1.5x" : "-",
                       big ? (d + w) <= 1.5 * d : -1);
            table.line("  window alone (build, show, paint)", figure(w, "ms"), "-", none, "-", -1);
        }
        if (const Samples *cpu = kept("openCpu" + n)) {
            const double w = median(cpu->ours), d = median(cpu->floor);
            table.line("  same, thread CPU time", figure(d + w, "ms"), figure(d, "ms", "TDM alone"),
                       (d + w) / d, big ? "<= 1.5x" : "-", big ? (d + w) <= 1.5 * d : -1);
        }
    }
    struct Click {
        const char *key;
        const char *label;
        bool goal;
    };
    for (const Click &c : {Click{"clickSmall10000", "Tree click, 2 KB article, 10000", true},
                           Click{"clickSmall100000", "Tree click, 2 KB article, 100000", true},
                           Click{"clickHuge10000", "Tree click, 1 MB article, 10000", false}}) {
        const Samples *click = kept(c.key);
        if (!click)
            continue;
        const double o = median(click->ours), f = median(click->floor);
        table.line(c.label, figure(o, "ms"), figure(f, "ms", "SELECT row + UPDATE"), o / f,
                   c.goal ? "<= 5 ms" : "-", c.goal ? o <= 5.0 : -1);
        table.line("  same, with the repaint that follows", figure(median(click->extra), "ms"), "-",
                   none, "-", -1);
    }
    for (const std::string needle : {"ab", "常见"}) {
        if (const Samples *set = kept("searchSet " + needle)) {
            const double o = median(set->ours), f = median(set->floor);
            table.line("Search keystroke '" + needle + "', 100000", figure(o, "ms"),
                       figure(f, "ms", "SQLite LIKE"), o / f, "<= 20 ms", o <= 20.0);
        }
        if (const Samples *clear = kept("searchClear " + needle)) {
            const double o = median(clear->ours), f = median(clear->floor);
            table.line("  keystroke clearing it, all rows back", figure(o, "ms"),
                       figure(f, "ms", "SELECT, no WHERE"), o / f, "<= 20 ms", o <= 20.0);
        }
    }
}

} // namespace

int main(int argc, char **argv) {
    MsgBox::setResponder([](const MsgBox::Request &request) {
        g_boxes << request.text;
        return QMessageBox::No;
    });
    const int status = runMain<QuillboxApplication>(argc, argv, registerBenchmarks, printSummary);
    MsgBox::setResponder({});
    return status;
}
