// Host-side cost of sending jobs: streaming through a pseudo-terminal to a
// controller substitute that answers at once, and building compressed
// packages of a large raster job.
#include "controllersubstitute.h"
#include "ptypair.h"

#include "device/jobpackage.h"
#include "device/lowergrbl.h"
#include "device/panelmessage.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <cmath>
#include <ctime>
#include <functional>

namespace {

// A grey-scale raster: rows of 0.08 mm relative steps whose power follows a
// smooth pattern, each row started by an absolute move.
QList<GCodeBuffer> rasterJob(int records)
{
    QList<GCodeBuffer> job;
    job.reserve(records);
    const int rowLength = 500;
    int row = 0;
    while (job.size() < records - 1) {
        GCodeBuffer start;
        start.g = 0;
        start.x = 10;
        start.y = 10 + row * 0.08;
        job.append(start);
        for (int i = 0; i < rowLength && job.size() < records - 1; ++i) {
            GCodeBuffer step;
            step.g = 1;
            step.absolute = false;
            step.x = 0.08;
            step.y = 0;
            const double grey = 0.5 + 0.5 * std::sin(i / 20.0) * std::cos(row / 15.0);
            step.s = std::round(grey * 250) * 4;
            job.append(step);
        }
        ++row;
    }
    GCodeBuffer end;
    end.m = 2;
    job.append(end);
    return job;
}

qint64 jobBytes(const QList<GCodeBuffer> &job)
{
    qint64 bytes = 0;
    for (const GCodeBuffer &record : job)
        bytes += gcodeBuffer2Str(record).size();
    return bytes;
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&]() {
        if (condition())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(1);
    if (!condition())
        loop.exec();
    return condition();
}

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// The link on its own thread, connected to a substitute on this thread.
class Bench : public QObject
{
    Q_OBJECT
public:
    bool open(const QByteArray &hardware)
    {
        registerGCodeBufferMetaTypes();
        if (!pair.open())
            return false;
        ControllerSubstitute::Profile profile;
        profile.hardwareLine = hardware;
        profile.version = "0.2.2";
        controller.reset(new ControllerSubstitute(profile));
        if (!controller->open(pair))
            return false;
        link = new LowerGrbl(nullptr);
        const QString host = pair.hostPath();
        link->setPortListProvider([host]() { return QStringList{host}; });
        link->moveToThread(&thread);
        connect(&thread, &QThread::finished, link, &QObject::deleteLater);
        connect(this, &Bench::message, link, &LowerGrbl::getPanelMessage);
        connect(this, &Bench::job, link, &LowerGrbl::grblGcodePrint);
        connect(link, &LowerGrbl::sendPanelMessage, this, [this](const QStringList &m) {
            for (const QString &text : m) {
                if (text.startsWith(QStringLiteral("set:%1 ").arg(int(PanelConnected))))
                    connected = true;
                if (text.startsWith(QStringLiteral("set:%1 ").arg(int(PanelPrintDone))))
                    ++done;
            }
        });
        thread.start();
        emit message(QStringList{panelMessageText(LowerAutoConnect, "0")});
        return waitFor([this]() { return connected; }, 20000);
    }

    // CPU time the link's thread has used so far.
    double linkCpuSeconds()
    {
        double seconds = 0;
        QMetaObject::invokeMethod(link, [&seconds]() { seconds = threadCpuSeconds(); },
                                  Qt::BlockingQueuedConnection);
        return seconds;
    }

    ~Bench() override
    {
        thread.quit();
        thread.wait();
    }

    PtyPair pair;
    std::unique_ptr<ControllerSubstitute> controller;
    QThread thread;
    LowerGrbl *link = nullptr;
    bool connected = false;
    int done = 0;

signals:
    void message(QStringList m);
    void job(QList<GCodeBuffer> j);
};

void streamJob(benchmark::State &state, const QByteArray &hardware)
{
    const int records = int(state.range(0));
    Bench bench;
    if (!bench.open(hardware)) {
        state.SkipWithError("no link to the substitute");
        return;
    }
    const QList<GCodeBuffer> job = rasterJob(records);
    const qint64 bytes = jobBytes(job);
    double linkCpu = 0;
    for (auto _ : state) {
        const int before = bench.done;
        const double cpuBefore = bench.linkCpuSeconds();
        emit bench.job(job);
        if (!waitFor([&]() { return bench.done > before; }, 600000)) {
            state.SkipWithError("job did not finish");
            return;
        }
        linkCpu += bench.linkCpuSeconds() - cpuBefore;
        state.PauseTiming();
        bench.controller->clearRecords();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * records);
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["records/s"] = benchmark::Counter(double(records) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["x115200baud"] =
        benchmark::Counter(double(bytes) * state.iterations() / 11520.0, benchmark::Counter::kIsRate);
    state.counters["linkCpu_us/record"] = linkCpu * 1e6 / (double(records) * state.iterations());
}

void BM_LineStreaming(benchmark::State &state)
{
    streamJob(state, "1.0.0");
}
BENCHMARK(BM_LineStreaming)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PackageStreaming(benchmark::State &state)
{
    streamJob(state, "3.0.0");
}
BENCHMARK(BM_PackageStreaming)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Building every package of a 1 000 000-record raster job.
void BM_PackageCompression(benchmark::State &state)
{
    const QList<GCodeBuffer> job = rasterJob(int(state.range(0)));
    const qint64 text = jobBytes(job);
    qint64 compressed = 0;
    int parts = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QList<GCodeBuffer> remaining = job;
        remaining.detach();
        compressed = 0;
        parts = 0;
        state.ResumeTiming();
        JobPackage::Part part;
        while (JobPackage::takePart(&remaining, &part)) {
            compressed += part.payload.size();
            ++parts;
        }
        benchmark::DoNotOptimize(compressed);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * text);
    state.counters["ratio"] = double(text) / double(compressed);
    state.counters["parts"] = parts;
    state.counters["textMB"] = double(text) / 1e6;
}
BENCHMARK(BM_PackageCompression)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The link writes its settings group when it ends: keep the user's away.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    qputenv("HOME", QFile::encodeName(home.path()));
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("scribo.device.debug=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "bench_device.moc"
