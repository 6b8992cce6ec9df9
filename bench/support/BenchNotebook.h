#pragma once

#include <QString>

// Notebooks for the benchmark programs. They live in the folder named by the
// environment variable QUILLBOX_BENCH_DIR, or in a cache folder of the build
// tree when it is unset, and are written by the generator on first use, so a
// benchmark never depends on files someone left behind.
namespace BenchNotebook {

// The folder the notebooks live in; created when missing.
QString directory();

// A notebook of `articles` articles with the generator's fixed seed, made
// when it is not there yet. Throws std::runtime_error when it cannot be made.
QString path(int articles);

// Reads the whole file once, so that the operating system's page cache
// holds it and a timed run does not measure the disk.
void warmPageCache(const QString &file);

// Resident and peak resident memory of this process (VmRSS, VmHWM), in
// megabytes of 10^6 bytes.
double residentMB();
double peakResidentMB();

// A copy of a notebook for benchmarks that write, removed with its journal
// files when it goes: the generated notebooks stay as generated.
class WorkCopy {
public:
    explicit WorkCopy(const QString &original); // throws std::runtime_error
    ~WorkCopy();
    WorkCopy(const WorkCopy &) = delete;
    WorkCopy &operator=(const WorkCopy &) = delete;

    QString path() const { return m_path; }

private:
    QString m_path;
};

} // namespace BenchNotebook
