// The note store against its floor. Every figure is printed beside the same
// work done with plain SQLite through its C API on the same file, in the same
// run and interleaved with it, so the ratio still means something on a busy
// machine; where other programs may hold the cores, thread CPU time is shown
// beside wall time. A table of medians, ratios and goals closes the run.
//
//   bm_store [--benchmark_filter=REGEX] [--benchmark_repetitions=N]
//
// Notebooks come from BenchNotebook: QUILLBOX_BENCH_DIR, generated when missing.

#include "BenchNotebook.h"
#include "store/NoteColumns.h"
#include "store/NoteTable.h"
#include "store/UDM.h"

#include <QApplication>
#include <QProcess>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// CPU time of this thread, kernel time included: unlike wall time it does not
// grow while other programs hold the cores, so its ratio holds on a busy machine.
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Wall and thread CPU time since it was made.
struct Lap {
    Clock::time_point wall = Clock::now();
    double cpu = threadCpuMs();
    double wallMs() const { return msSince(wall); }
    double cpuMs() const { return threadCpuMs() - cpu; }
};

double median(std::vector<double> v) {
    if (v.empty())
        return std::nan("");
    const std::size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + mid, v.end());
    const double upper = v[mid];
    if (v.size() % 2)
        return upper;
    return (upper + *std::max_element(v.begin(), v.begin() + mid)) / 2;
}

// Every timed sample of a measure over all repetitions, for the closing table.
struct Samples {
    std::vector<double> ours, floor, floor2;
};
std::map<std::string, Samples> g_samples;

void keep(const std::string &measure, const std::vector<double> &ours,
          const std::vector<double> &floor, const std::vector<double> &floor2 = {}) {
    Samples &s = g_samples[measure];
    s.ours.insert(s.ours.end(), ours.begin(), ours.end());
    s.floor.insert(s.floor.end(), floor.begin(), floor.end());
    s.floor2.insert(s.floor2.end(), floor2.begin(), floor2.end());
}

// ---------------------------------------------------------------------------
// The floor: plain SQLite

class PlainDb {
public:
    explicit PlainDb(const QString &path) {
        // Read-write like the program's own connection.
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK) {
            const std::string error = sqlite3_errmsg(m_db);
            sqlite3_close_v2(m_db);
            throw std::runtime_error("sqlite3_open_v2: " + error);
        }
        sqlite3_busy_timeout(m_db, 2000);
    }
    ~PlainDb() { sqlite3_close_v2(m_db); }
    PlainDb(const PlainDb &) = delete;
    PlainDb &operator=(const PlainDb &) = delete;
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

class Statement {
public:
    Statement(const PlainDb &db, const char *sql) : m_db(db.handle()) {
        if (sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("sqlite3_prepare_v2: ") + sqlite3_errmsg(m_db));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt *handle() const { return m_stmt; }
    [[noreturn]] void fail() const {
        throw std::runtime_error(std::string("sqlite3_step: ") + sqlite3_errmsg(m_db));
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

struct ScanResult {
    qint64 rows = 0;
    qint64 textBytes = 0;
};

// Steps every row and touches every column as a loader must: integers read,
// texts fetched (as UTF-8) and their bytes looked at.
ScanResult stepAll(const Statement &statement) {
    sqlite3_stmt *stmt = statement.handle();
    const int columns = sqlite3_column_count(stmt);
    ScanResult result;
    qint64 sink = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        ++result.rows;
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                sink += sqlite3_column_int64(stmt, c);
                break;
            case SQLITE_FLOAT:
                sink += qint64(sqlite3_column_double(stmt, c));
                break;
            case SQLITE_TEXT: {
                const unsigned char *text = sqlite3_column_text(stmt, c);
                const int bytes = sqlite3_column_bytes(stmt, c);
                result.textBytes += bytes;
                if (bytes > 0)
                    sink += text[bytes - 1];
                break;
            }
            case SQLITE_BLOB:
                benchmark::DoNotOptimize(sqlite3_column_blob(stmt, c));
                result.textBytes += sqlite3_column_bytes(stmt, c);
                break;
            default:
                break;
            }
        }
    }
    if (rc != SQLITE_DONE)
        statement.fail();
    benchmark::DoNotOptimize(sink);
    return result;
}

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
// Ours

std::unique_ptr<TDM> openNotebook(const QString &path) {
    auto dm = std::make_unique<TDM>(nullptr, path);
    if (!dm->FDQuery1.isOpen())
        throw std::runtime_error("the data module could not open " + path.toStdString());
    return dm;
}

// Runs `body`; a failure skips the benchmark with its message.
template <typename Body> bool guarded(benchmark::State &state, Body &&body) {
    try {
        body();
        return true;
    } catch (const std::exception &e) {
        state.SkipWithError(e.what());
        return false;
    }
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
    if (g_samples.empty())
        return;
    std::fprintf(out, "\nSummary: medians of every timed sample; the floor is the same work done "
                      "with plain SQLite (C API) on the same file.\n");
    std::fprintf(out, "%-44s %18s %30s %7s %10s %4s\n", "measure", "ours", "floor", "ratio", "goal",
                 "met");
    // A NaN ratio: the floor column is a reference, not the same work.
    // `met` is -1 where there is no goal.
    auto line = [&](const std::string &measure, const std::string &ours, const std::string &floor,
                    double ratio, const char *goal, int met) {
        char ratioText[16] = "-";
        if (!std::isnan(ratio))
            std::snprintf(ratioText, sizeof ratioText, "%.2fx", ratio);
        const char *metText = met < 0 ? "-" : (met ? "yes" : "NO");
        std::fprintf(out, "%-44s %18s %30s %7s %10s %4s\n", measure.c_str(), ours.c_str(),
                     floor.c_str(), ratioText, goal, metText);
    };
    auto fmt = [](double value, const char *unit, const char *what = nullptr) {
        char text[64];
        if (what)
            std::snprintf(text, sizeof text, "%.2f %s (%s)", value, unit, what);
        else
            std::snprintf(text, sizeof text, "%.2f %s", value, unit);
        return std::string(text);
    };
    const double none = std::nan("");

    for (int articles : {10000, 100000}) {
        const std::string n = std::to_string(articles);
        const auto it = g_samples.find("create" + n);
        if (it == g_samples.end())
            continue;
        const double o = median(it->second.ours), fa = median(it->second.floor),
                     fl = median(it->second.floor2);
        const bool big = articles == 100000;
        line("DataModuleCreate, " + n + " articles", fmt(o, "ms"), fmt(fa, "ms", "SELECT *"),
             o / fa, big ? "<= 1.5x" : "-", big ? o <= 1.5 * fa : -1);
        if (auto cpu = g_samples.find("createCpu" + n); cpu != g_samples.end()) {
            const double oc = median(cpu->second.ours), fc = median(cpu->second.floor);
            line("  same, thread CPU time", fmt(oc, "ms"), fmt(fc, "ms", "SELECT *"), oc / fc,
                 big ? "<= 1.5x" : "-", big ? oc <= 1.5 * fc : -1);
        }
        line("  same, against the loaded columns only", fmt(o, "ms"), fmt(fl, "ms", "8 columns"),
             o / fl, "-", -1);
    }
    for (const std::string needle : {"ab", "常见"}) {
        if (auto it = g_samples.find("filterSet " + needle); it != g_samples.end()) {
            const double o = median(it->second.ours), f = median(it->second.floor);
            line("Title filter '%" + needle + "%' set, 100000 articles", fmt(o, "ms"),
                 fmt(f, "ms", "SQLite LIKE"), o / f, "<= 20 ms", o <= 20.0);
        }
        if (auto it = g_samples.find("filterSetCpu " + needle); it != g_samples.end()) {
            const double o = median(it->second.ours), f = median(it->second.floor);
            line("  same, thread CPU time", fmt(o, "ms"), fmt(f, "ms", "SQLite LIKE"), o / f,
                 "<= 20 ms", o <= 20.0);
        }
        if (auto it = g_samples.find("filterClear " + needle); it != g_samples.end())
            line("  same, cleared", fmt(median(it->second.ours), "ms"), "-", none, "-", -1);
    }
    if (auto it = g_samples.find("post"); it != g_samples.end()) {
        const double o = median(it->second.ours), f = median(it->second.floor);
        line("Post of one row (Read), 10000 articles", fmt(o, "ms"), fmt(f, "ms", "UPDATE"), o / f,
             "<= 2x", o <= 2 * f);
    }
    if (auto it = g_samples.find("postCpu"); it != g_samples.end()) {
        const double o = median(it->second.ours), f = median(it->second.floor);
        line("  same, thread CPU time (no disk waits)", fmt(o, "ms"), fmt(f, "ms", "UPDATE"), o / f,
             "-", -1);
    }
    if (auto it = g_samples.find("rss"); it != g_samples.end()) {
        const double after = median(it->second.ours), before = median(it->second.floor);
        line("Resident memory, 100000 articles open", fmt(after, "MB"),
             fmt(before, "MB", "before loading"), none, "<= 200 MB", after <= 200.0);
        line("  peak resident memory while loading", fmt(median(it->second.floor2), "MB"), "-",
             none, "-", -1);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && std::strcmp(argv[1], "--rss-probe") == 0)
        return rssProbe(argc, argv);

    // The summary must not spoil machine-readable output on stdout.
    FILE *summaryOut = stdout;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--benchmark_format=", 19) == 0 &&
            std::strcmp(argv[i] + 19, "console") != 0)
            summaryOut = stderr;

    qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QApplication app(argc, argv);
    registerBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    printSummary(summaryOut);
    benchmark::Shutdown();
    return 0;
}
