#include "BenchCommon.h"

#include "store/UDM.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <map>
#include <stdexcept>

namespace BenchCommon {

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

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

// ---------------------------------------------------------------------------

namespace {
std::map<std::string, Samples> g_samples;
} // namespace

void keep(const std::string &measure, const std::vector<double> &ours,
          const std::vector<double> &floor, const std::vector<double> &extra) {
    Samples &s = g_samples[measure];
    s.ours.insert(s.ours.end(), ours.begin(), ours.end());
    s.floor.insert(s.floor.end(), floor.begin(), floor.end());
    s.extra.insert(s.extra.end(), extra.begin(), extra.end());
}

const Samples *kept(const std::string &measure) {
    const auto it = g_samples.find(measure);
    return it == g_samples.end() ? nullptr : &it->second;
}

bool anyKept() {
    return !g_samples.empty();
}

// ---------------------------------------------------------------------------

std::string figure(double value, const char *unit, const char *what) {
    char text[80];
    if (what)
        std::snprintf(text, sizeof text, "%.2f %s (%s)", value, unit, what);
    else
        std::snprintf(text, sizeof text, "%.2f %s", value, unit);
    return std::string(text);
}

SummaryTable::SummaryTable(FILE *out, const char *title, int measureWidth, int oursWidth,
                           int floorWidth)
    : m_out(out), m_measureWidth(measureWidth), m_oursWidth(oursWidth), m_floorWidth(floorWidth) {
    std::fprintf(m_out, "\nSummary: %s\n", title);
    row("measure", "ours", "floor", "ratio", "goal", "met");
}

void SummaryTable::line(const std::string &measure, const std::string &ours,
                        const std::string &floor, double ratio, const char *goal, int met) const {
    char ratioText[16] = "-";
    if (!std::isnan(ratio))
        std::snprintf(ratioText, sizeof ratioText, "%.2fx", ratio);
    const char *metText = met < 0 ? "-" : (met ? "yes" : "NO");
    row(measure.c_str(), ours.c_str(), floor.c_str(), ratioText, goal, metText);
}

void SummaryTable::row(const char *measure, const char *ours, const char *floor, const char *ratio,
                       const char *goal, const char *met) const {
    std::fprintf(m_out, "%-*s %*s %*s %7s %10s %4s\n", m_measureWidth, measure, m_oursWidth, ours,
                 m_floorWidth, floor, ratio, goal, met);
}

// ---------------------------------------------------------------------------

PlainDb::PlainDb(const QString &path) {
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        const std::string error = sqlite3_errmsg(m_db);
        sqlite3_close_v2(m_db);
        throw std::runtime_error("sqlite3_open_v2: " + error);
    }
    sqlite3_busy_timeout(m_db, 2000);
}

PlainDb::~PlainDb() {
    sqlite3_close_v2(m_db);
}

Statement::Statement(const PlainDb &db, const char *sql) : m_db(db.handle()) {
    if (sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("sqlite3_prepare_v2: ") + sqlite3_errmsg(m_db));
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::fail() const {
    throw std::runtime_error(std::string("sqlite3_step: ") + sqlite3_errmsg(m_db));
}

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

// ---------------------------------------------------------------------------

std::unique_ptr<TDM> openNotebook(const QString &path) {
    auto dm = std::make_unique<TDM>(nullptr, path);
    if (!dm->FDQuery1.isOpen())
        throw std::runtime_error("the data module could not open " + path.toStdString());
    return dm;
}

FILE *summaryStream(int argc, char **argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--benchmark_format=", 19) == 0 &&
            std::strcmp(argv[i] + 19, "console") != 0)
            return stderr;
    return stdout;
}

} // namespace BenchCommon
