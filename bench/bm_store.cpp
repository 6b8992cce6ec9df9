// The note store against its floor. Every figure is printed beside the same
// work done with plain SQLite through its C API on the same file, in the same
// run and interleaved with it, so the ratio still means something on a busy
// machine; where other programs may hold the cores, thread CPU time is shown
// beside wall time. A table of medians, ratios and goals closes the run.
//
//   bm_store [--benchmark_filter=REGEX] [--benchmark_repetitions=N]
//
// Notebooks come from BenchNotebook: QUILLBOX_BENCH_DIR, generated when missing.

#include "BenchCommon.h"
#include "BenchNotebook.h"
#include "store/NoteColumns.h"
#include "store/NoteTable.h"
#include "store/UDM.h"

#include <QApplication>
#include <QProcess>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace BenchCommon;

// ---------------------------------------------------------------------------
// The floor: plain SQLite

constexpr const char *kSelectAll = "SELECT * FROM delphi";
// What the data module loads: every column but the three long texts.
constexpr const char *kSelectLoaded =
    "SELECT NodeId, ParentId, Title, type, CreateTime, Read, shuqian, Turn FROM delphi";

// Open, scan, close: what a loader does at the least.
ScanResult plainScan(const QString &path, const char *sql) {
    PlainDb db(path);
    Statement stmt(db, sql);
    return stepAll(stmt);
}

// ---------------------------------------------------------------------------
// 1. Opening a notebook: constructing the data module, which runs
//    DataModuleCreate. Floors: "SELECT *" over every row and column, and the
//    scan of just the columns the data module loads.

void BM_DataModuleCreate(benchmark::State &state, int articles) {
    QString path;
    // One untimed round first: the page cache, and the one-time set-up of
    // SQLite, the Qt SQL driver and the resources.
    if (!guarded(state, [&] {
            path = BenchNotebook::path(articles);
            BenchNotebook::warmPageCache(path);
            plainScan(path, kSelectAll);
            plainScan(path, kSelectLoaded);
            openNotebook(path).reset();
        }))
        return;

    std::vector<double> ours, all, loaded, oursCpu, allCpu;
    qint64 rows = 0, shown = 0;
    for (auto _ : state) {
        const bool ok = guarded(state, [&] {
            Lap lap;
            rows = plainScan(path, kSelectAll).rows;
            all.push_back(lap.wallMs());
            allCpu.push_back(lap.cpuMs());

            lap = Lap();
            plainScan(path, kSelectLoaded);
            loaded.push_back(lap.wallMs());

            lap = Lap();
            auto dm = std::make_unique<TDM>(nullptr, path);
            ours.push_back(lap.wallMs());
            oursCpu.push_back(lap.cpuMs());
            state.SetIterationTime(ours.back() / 1000.0);
            shown = dm->FDQuery1.recordCount();
            if (shown != rows)
                throw std::runtime_error("the data module holds a different number of rows");
            dm.reset(); // not part of opening
        });
        if (!ok)
            break;
    }
    const double o = median(ours), fa = median(all), fl = median(loaded);
    state.counters["rows"] = double(shown);
    state.counters["ours_ms"] = o;
    state.counters["selectAll_ms"] = fa;
    state.counters["loadedCols_ms"] = fl;
    state.counters["x_selectAll"] = o / fa;
    state.counters["x_loadedCols"] = o / fl;
    state.counters["x_selectAll_cpu"] = median(oursCpu) / median(allCpu);
    keep("create" + std::to_string(articles), ours, all, loaded);
    keep("createCpu" + std::to_string(articles), oursCpu, allCpu);
}

// ---------------------------------------------------------------------------
// 2. A title filter on the folder tree's cursor. Floor: SQLite's own LIKE
//    over the same file, on a connection already open (as ours is).

void BM_TitleFilter(benchmark::State &state, int articles, const std::string &needle) {
    const QString filter = QStringLiteral("title like '%%1%'").arg(QString::fromStdString(needle));
    const std::string floorSql = "SELECT NodeId FROM delphi WHERE Title LIKE '%" + needle + "%'";
    std::unique_ptr<TDM> dm;
    std::unique_ptr<PlainDb> plain;
    if (!guarded(state, [&] {
            const QString path = BenchNotebook::path(articles);
            BenchNotebook::warmPageCache(path);
            dm = openNotebook(path);
            plain = std::make_unique<PlainDb>(path);
        }))
        return;
    NoteCursor &reg = dm->FDMemReg;
    auto floorScan = [&] {
        Statement stmt(*plain, floorSql.c_str());
        return stepAll(stmt).rows;
    };
    guarded(state, floorScan);
    reg.setFilter(filter);
    reg.setFiltered(true);
    reg.setFiltered(false);
    reg.setFilter(QString());

    std::vector<double> set, clear, floor, setCpu, floorCpu;
    qint64 shown = 0, floorRows = 0;
    for (auto _ : state) {
        Lap lap;
        reg.setFilter(filter);
        reg.setFiltered(true);
        set.push_back(lap.wallMs());
        setCpu.push_back(lap.cpuMs());
        state.SetIterationTime(set.back() / 1000.0);
        shown = reg.recordCount();

        lap = Lap();
        reg.setFiltered(false);
        reg.setFilter(QString());
        clear.push_back(lap.wallMs());

        if (!guarded(state, [&] {
                lap = Lap();
                floorRows = floorScan();
                floor.push_back(lap.wallMs());
                floorCpu.push_back(lap.cpuMs());
            }))
            break;
    }
    const double o = median(set), f = median(floor);
    state.counters["shown"] = double(shown);
    state.counters["floorRows"] = double(floorRows);
    state.counters["set_ms"] = o;
    state.counters["clear_ms"] = median(clear);
    state.counters["floor_ms"] = f;
    state.counters["x_floor"] = o / f;
    state.counters["x_floor_cpu"] = median(setCpu) / median(floorCpu);
    keep("filterSet " + needle, set, floor);
    keep("filterSetCpu " + needle, setCpu, floorCpu);
    keep("filterClear " + needle, clear, {});
}

// ---------------------------------------------------------------------------
// 3. Posting one changed row through the main record set, against one
//    autocommitted UPDATE with a statement prepared once. Both write to the
//    same copy of the notebook, in alternating blocks: each connection then
//    finds its page cache stale only at the start of a block, as it would
//    be after another program wrote.

void BM_PostRow(benchmark::State &state, int articles) {
    constexpr int kBlock = 10;
    std::unique_ptr<BenchNotebook::WorkCopy> copy;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<PlainDb> plain;
    std::unique_ptr<Statement> update;
    std::vector<qint64> keys;
    if (!guarded(state, [&] {
            copy = std::make_unique<BenchNotebook::WorkCopy>(BenchNotebook::path(articles));
            BenchNotebook::warmPageCache(copy->path());
            dm = openNotebook(copy->path());
            plain = std::make_unique<PlainDb>(copy->path());
            update = std::make_unique<Statement>(*plain, "UPDATE delphi SET Read=? WHERE NodeId=?");
            const NoteTable *table = dm->FDQuery1.table();
            for (NoteRow *row : dm->FDQuery1.visibleRows())
                if (dm->FDQuery1.value(row, NoteColumns::Type).toInt() == 1)
                    keys.push_back(table->key(row));
            if (keys.empty())
                throw std::runtime_error("the notebook has no articles");
        }))
        return;

    NoteQuery &query = dm->FDQuery1;
    auto post = [&](qint64 key, int read) {
        if (!query.locate(NoteColumns::NodeId, QString::number(key)))
            throw std::runtime_error("locate found no row");
        query.edit();
        query.setField(NoteColumns::Read, read);
        query.post();
    };
    auto plainUpdate = [&](qint64 key, int read) {
        sqlite3_stmt *stmt = update->handle();
        sqlite3_bind_int(stmt, 1, read);
        sqlite3_bind_int64(stmt, 2, key);
        if (sqlite3_step(stmt) != SQLITE_DONE)
            update->fail();
        sqlite3_reset(stmt);
        if (sqlite3_changes(plain->handle()) != 1)
            throw std::runtime_error("the update changed no row");
    };
    // Rows far apart, as a user's edits are, by a prime step through the
    // keys; the same rows for both sides.
    const std::size_t stride = 7919 % keys.size() ? 7919 : 1;
    std::size_t next = 0;
    int read = 1;
    auto keyAt = [&](std::size_t i) { return keys[(i * stride) % keys.size()]; };
    if (!guarded(state, [&] {
            post(keyAt(0), read++);
            plainUpdate(keyAt(0), read++);
        }))
        return;

    std::vector<double> ours, floor, oursCpu, floorCpu;
    for (auto _ : state) {
        const bool ok = guarded(state, [&] {
            Lap lap;
            for (int i = 0; i < kBlock; ++i)
                post(keyAt(next + i), read++);
            ours.push_back(lap.wallMs() / kBlock);
            oursCpu.push_back(lap.cpuMs() / kBlock);
            state.SetIterationTime(ours.back() / 1000.0);

            lap = Lap();
            for (int i = 0; i < kBlock; ++i)
                plainUpdate(keyAt(next + i), read++);
            floor.push_back(lap.wallMs() / kBlock);
            floorCpu.push_back(lap.cpuMs() / kBlock);
            next += kBlock;
        });
        if (!ok)
            break;
    }
    const double o = median(ours), f = median(floor);
    state.counters["ours_ms"] = o;
    state.counters["floor_ms"] = f;
    state.counters["x_floor"] = o / f;
    state.counters["x_floor_cpu"] = median(oursCpu) / median(floorCpu);
    keep("post", ours, floor);
    keep("postCpu", oursCpu, floorCpu);
}

// ---------------------------------------------------------------------------
// 4. Resident memory with a large notebook open. Measured in a fresh process
//    (this program started again with --rss-probe): the heap that earlier
//    benchmarks freed would otherwise blur the figure.

int rssProbe(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double before = BenchNotebook::residentMB();
    TDM dm(nullptr, QString::fromLocal8Bit(argv[2]));
    const double after = BenchNotebook::residentMB();
    std::printf("%.3f %.3f %.3f %d\n", before, after, BenchNotebook::peakResidentMB(),
                dm.FDQuery1.recordCount());
    return dm.FDQuery1.isOpen() ? 0 : 1;
}

void BM_ResidentMemory(benchmark::State &state, int articles) {
    QString path;
    ScanResult data;
    if (!guarded(state, [&] {
            path = BenchNotebook::path(articles);
            BenchNotebook::warmPageCache(path);
            data = plainScan(path, kSelectLoaded);
        }))
        return;
    double before = 0, after = 0, peak = 0;
    int rows = 0;
    for (auto _ : state) {
        QProcess probe;
        probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        probe.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--rss-probe"), path});
        const bool ok = probe.waitForFinished(-1) && probe.exitStatus() == QProcess::NormalExit &&
                        probe.exitCode() == 0 &&
                        std::sscanf(probe.readAllStandardOutput().constData(), "%lf %lf %lf %d",
                                    &before, &after, &peak, &rows) == 4;
        if (!ok) {
            state.SkipWithError("the memory probe failed");
            break;
        }
    }
    state.counters["rows"] = rows;
    state.counters["rssBefore_MB"] = before;
    state.counters["rssAfter_MB"] = after;
    state.counters["rssPeak_MB"] = peak;
    // What any in-memory copy of the loaded columns holds at least (UTF-8).
    state.counters["loadedText_MB"] = double(data.textBytes) / 1e6;
    keep("rss", {after}, {before}, {peak});
}

// ---------------------------------------------------------------------------

void registerBenchmarks() {
    using benchmark::RegisterBenchmark;
    // Fixed counts: every iteration also runs its floor, and the medians of
    // the pairs are what the closing table compares.
    RegisterBenchmark("DataModuleCreate/articles:10000", BM_DataModuleCreate, 10000)
        ->Iterations(15)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    RegisterBenchmark("DataModuleCreate/articles:100000", BM_DataModuleCreate, 100000)
        ->Iterations(5)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    // "ab" is in no generated title: every row is tried and none shown.
    // "常见" is in about one title in nine.
    for (const std::string needle : {"ab", "常见"})
        RegisterBenchmark(("TitleFilterSet/articles:100000/like:%" + needle + "%").c_str(),
                          BM_TitleFilter, 100000, needle)
            ->Iterations(30)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    // Time per post, the mean of a block of posts.
    RegisterBenchmark("PostRow/articles:10000", BM_PostRow, 10000)
        ->Iterations(20)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    // The time is that of the whole probe process; the counters are the figure.
    RegisterBenchmark("ResidentMemory/articles:100000", BM_ResidentMemory, 100000)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
}

void printSummary(FILE *out) {
    const SummaryTable table(out,
                             "medians of every timed sample; the floor is the same work done with "
                             "plain SQLite (C API) on the same file.",
                             44, 18, 30);
    const double none = std::nan("");

    for (int articles : {10000, 100000}) {
        const std::string n = std::to_string(articles);
        const Samples *create = kept("create" + n);
        if (!create)
            continue;
        const double o = median(create->ours), fa = median(create->floor),
                     fl = median(create->extra);
        const bool big = articles == 100000;
        table.line("DataModuleCreate, " + n + " articles", figure(o, "ms"),
                   figure(fa, "ms", "SELECT *"), o / fa, big ? "<= 1.5x" : "-",
                   big ? o <= 1.5 * fa : -1);
        if (const Samples *cpu = kept("createCpu" + n)) {
            const double oc = median(cpu->ours), fc = median(cpu->floor);
            table.line("  same, thread CPU time", figure(oc, "ms"), figure(fc, "ms", "SELECT *"),
                       oc / fc, big ? "<= 1.5x" : "-", big ? oc <= 1.5 * fc : -1);
        }
        table.line("  same, against the loaded columns only", figure(o, "ms"),
                   figure(fl, "ms", "8 columns"), o / fl, "-", -1);
    }
    for (const std::string needle : {"ab", "常见"}) {
        if (const Samples *set = kept("filterSet " + needle)) {
            const double o = median(set->ours), f = median(set->floor);
            table.line("Title filter '%" + needle + "%' set, 100000 articles", figure(o, "ms"),
                       figure(f, "ms", "SQLite LIKE"), o / f, "<= 20 ms", o <= 20.0);
        }
        if (const Samples *cpu = kept("filterSetCpu " + needle)) {
            const double o = median(cpu->ours), f = median(cpu->floor);
            table.line("  same, thread CPU time", figure(o, "ms"), figure(f, "ms", "SQLite LIKE"),
                       o / f, "<= 20 ms", o <= 20.0);
        }
        if (const Samples *clear = kept("filterClear " + needle))
            table.line("  same, cleared", figure(median(clear->ours), "ms"), "-", none, "-", -1);
    }
    if (const Samples *post = kept("post")) {
        const double o = median(post->ours), f = median(post->floor);
        table.line("Post of one row (Read), 10000 articles", figure(o, "ms"),
                   figure(f, "ms", "UPDATE"), o / f, "<= 2x", o <= 2 * f);
    }
    if (const Samples *cpu = kept("postCpu")) {
        const double o = median(cpu->ours), f = median(cpu->floor);
        table.line("  same, thread CPU time (no disk waits)", figure(o, "ms"),
                   figure(f, "ms", "UPDATE"), o / f, "-", -1);
    }
    if (const Samples *rss = kept("rss")) {
        const double after = median(rss->ours), before = median(rss->floor);
        table.line("Resident memory, 100000 articles open", figure(after, "MB"),
                   figure(before, "MB", "before loading"), none, "<= 200 MB", after <= 200.0);
        table.line("  peak resident memory while loading", figure(median(rss->extra), "MB"), "-",
                   none, "-", -1);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && std::strcmp(argv[1], "--rss-probe") == 0)
        return rssProbe(argc, argv);
    return runMain<QApplication>(argc, argv, registerBenchmarks, printSummary);
}
