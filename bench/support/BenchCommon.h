#pragma once

#include <QString>
#include <QtGlobal>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

class TDM;

// What the benchmark programs share: timing, the samples behind the closing
// table and the table itself, the plain-SQLite floor, and main().
namespace BenchCommon {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start);

// CPU time of this thread, kernel time included: unlike wall time it does not
// grow while other programs hold the cores, so its ratio holds on a busy machine.
double threadCpuMs();

// Wall and thread CPU time since it was made.
struct Lap {
    Clock::time_point wall = Clock::now();
    double cpu = threadCpuMs();
    double wallMs() const { return msSince(wall); }
    double cpuMs() const { return threadCpuMs() - cpu; }
};

// NaN for no values, so that a measure that did not run shows as such.
double median(std::vector<double> v);

// ---------------------------------------------------------------------------
// Samples for the closing table

// Every timed sample of a measure over all repetitions. `extra` is a third
// series where a measure has one: a second floor, or ours with more work.
struct Samples {
    std::vector<double> ours, floor, extra;
};

// Adds to the samples of `measure`.
void keep(const std::string &measure, const std::vector<double> &ours,
          const std::vector<double> &floor, const std::vector<double> &extra = {});

// The samples of `measure`, or null when its benchmark did not run.
const Samples *kept(const std::string &measure);

bool anyKept();

// ---------------------------------------------------------------------------
// The closing table

// A figure with its unit and, when given, what it is: "12.34 ms (SELECT *)".
std::string figure(double value, const char *unit, const char *what = nullptr);

class SummaryTable {
public:
    // Prints "Summary: <title>" and the column heads. The widths are those of
    // the measure, ours and floor columns, which differ by program.
    SummaryTable(FILE *out, const char *title, int measureWidth, int oursWidth, int floorWidth);

    // A NaN ratio: the floor column is a reference, not the same work.
    // `met` is -1 where there is no goal.
    void line(const std::string &measure, const std::string &ours, const std::string &floor,
              double ratio, const char *goal, int met) const;

private:
    void row(const char *measure, const char *ours, const char *floor, const char *ratio,
             const char *goal, const char *met) const;

    FILE *m_out;
    int m_measureWidth, m_oursWidth, m_floorWidth;
};

// ---------------------------------------------------------------------------
// The floor: plain SQLite

class PlainDb {
public:
    // Read-write like the program's own connection. Throws std::runtime_error.
    explicit PlainDb(const QString &path);
    ~PlainDb();
    PlainDb(const PlainDb &) = delete;
    PlainDb &operator=(const PlainDb &) = delete;
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

class Statement {
public:
    Statement(const PlainDb &db, const char *sql); // throws std::runtime_error
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt *handle() const { return m_stmt; }
    [[noreturn]] void fail() const;

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

struct ScanResult {
    qint64 rows = 0;
    qint64 textBytes = 0;
};

// Steps every row and touches every column as a reader must: integers read,
// texts fetched (as UTF-8) and their bytes looked at.
ScanResult stepAll(const Statement &statement);

// ---------------------------------------------------------------------------
// Ours

// Throws std::runtime_error when the data module could not open the notebook.
std::unique_ptr<TDM> openNotebook(const QString &path);

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
// main()

// Where the summary goes: stderr when stdout carries machine-readable output
// (--benchmark_format other than console), so the table does not spoil it.
// Reads the flags before Google Benchmark takes them out of argv.
FILE *summaryStream(int argc, char **argv);

// The whole of a benchmark program's main(): Google Benchmark's flags read,
// an offscreen application of type App made, the benchmarks registered and
// run, then the closing table when any benchmark kept samples.
template <typename App>
int runMain(int argc, char **argv, void (*registerBenchmarks)(), void (*printSummary)(FILE *)) {
    FILE *summaryOut = summaryStream(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    App app(argc, argv);
    registerBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    if (anyKept())
        printSummary(summaryOut);
    benchmark::Shutdown();
    return 0;
}

} // namespace BenchCommon
