#include "BenchNotebook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>
#include <stdexcept>

namespace BenchNotebook {

namespace {
[[noreturn]] void fail(const QString &message) {
    throw std::runtime_error(message.toStdString());
}

double statusMB(const char *field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    // /proc files report a size of 0: readAll reads on to the end regardless.
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(prefix)) {
            const QList<QByteArray> parts = line.mid(prefix.size()).simplified().split(' ');
            return parts.value(0).toDouble() * 1024.0 / 1e6; // its "kB" are KiB
        }
    }
    return -1;
}
} // namespace

QString directory() {
    QString dir = qEnvironmentVariable("QUILLBOX_BENCH_DIR");
    if (dir.isEmpty()) {
#ifdef QUILLBOX_BENCH_DEFAULT_DIR
        dir = QStringLiteral(QUILLBOX_BENCH_DEFAULT_DIR);
#else
        dir = QDir::tempPath() + QStringLiteral("/quillbox-bench");
#endif
    }
    if (!QDir().mkpath(dir))
        fail(QStringLiteral("cannot create the benchmark folder %1").arg(dir));
    return QDir(dir).absolutePath();
}

QString path(int articles) {
    const QString dir = directory();
    const QString file = dir + QStringLiteral("/notebook-%1.mdb").arg(articles);
    if (QFileInfo::exists(file))
        return file;

#ifdef QUILLBOX_GENNOTEBOOK
    const QString generator = QStringLiteral(QUILLBOX_GENNOTEBOOK);
#else
    const QString generator;
#endif
    if (generator.isEmpty() || !QFileInfo(generator).isExecutable())
        fail(QStringLiteral("%1 is missing and the notebook generator was not built").arg(file));

    // Written under another name and renamed at the end, so a run stopped
    // half-way never leaves a partial notebook that later runs would trust.
    const QString partial =
        file + QStringLiteral(".partial-%1").arg(QCoreApplication::applicationPid());
    QFile::remove(partial);
    std::fprintf(stderr, "Generating %s (%d articles, once)...\n", qPrintable(file), articles);
    QProcess gen;
    gen.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    gen.start(generator, {QStringLiteral("--articles"), QString::number(articles),
                          QStringLiteral("--seed"), QStringLiteral("1"), partial});
    const bool finished = gen.waitForFinished(-1);
    if (!finished || gen.exitStatus() != QProcess::NormalExit || gen.exitCode() != 0) {
        QFile::remove(partial);
        fail(QStringLiteral("the generator failed to write %1").arg(file));
    }
    // Another run may have finished the same notebook meanwhile; either is fine.
    if (!QFile::rename(partial, file)) {
        QFile::remove(partial);
        if (!QFileInfo::exists(file))
            fail(QStringLiteral("cannot move the new notebook to %1").arg(file));
    }
    return file;
}

void warmPageCache(const QString &file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1").arg(file));
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    while (f.read(buffer.data(), buffer.size()) > 0) {
    }
}

double residentMB() {
    return statusMB("VmRSS");
}

double peakResidentMB() {
    return statusMB("VmHWM");
}

WorkCopy::WorkCopy(const QString &original) {
    const QFileInfo info(original);
    m_path = info.absolutePath() + QStringLiteral("/work-%1-%2.mdb")
                                       .arg(info.completeBaseName())
                                       .arg(QCoreApplication::applicationPid());
    QFile::remove(m_path);
    if (!QFile::copy(original, m_path))
        fail(QStringLiteral("cannot copy %1 to %2").arg(original, m_path));
    // QFile::copy keeps the original's permissions; a read-only cache must
    // still give a writable copy.
    QFile::setPermissions(m_path, QFile::permissions(m_path) | QFile::WriteOwner);
}

WorkCopy::~WorkCopy() {
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(m_path + QLatin1String(suffix));
}

} // namespace BenchNotebook
