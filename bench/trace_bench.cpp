// What a trace costs per triplet, against the writes it must make anyway.
//
// The demo session is recorded once from the substitute driver and then replayed
// by an operator that only copies the recorded answers, so the driver's own work
// (scanning a page) stays out of the figures. Measured in one run:
//   bare_forward   the replayed triplets sent straight to the operator
//   analysis_only  the same through the monitor with logging off
//   traced         the same with logging on, to a file in a temporary directory
//   io_floor       the same bytes written with the same fwrite + fflush calls
// The last lines give the ratios as "ratio <name> = <value>".
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "BuiltinSessions.h"
#include "ParaAnalyze.h"
#include "ReplayOperator.h"
#include "Session.h"
#include "TraceLogFile.h"
#include "TripletTrace.h"

namespace {

TW_IDENTITY g_application = {};
CRecordingOperator* g_pRecorder = nullptr;

TW_UINT16 RecordingEntry(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData) {
    return g_pRecorder->OperateTriplet(pOrigin, DG, DAT, MSG, pData);
}

// The demo session as the substitute driver answers it.
std::vector<RecordedTriplet> RecordDemoSession() {
    void* bundle = dlopen(TWAIN_DRIVER_EXECUTABLE, RTLD_NOW | RTLD_LOCAL);
    auto create = bundle ? reinterpret_cast<CreateTwainWrapperProc>(dlsym(bundle, "CreateTwainWrapper")) : nullptr;
    CTripletOperator* driver = nullptr;
    if (create) create(CFSTR("TwainMonitor.ds"), &driver);
    if (!driver) {
        fprintf(stderr, "cannot load the substitute driver %s\n", TWAIN_DRIVER_EXECUTABLE);
        exit(1);
    }
    std::vector<SessionStep> steps;
    std::string error;
    if (!ParseSessionScript(FindBuiltinSession("demo"), steps, error)) {
        fprintf(stderr, "demo session: %s\n", error.c_str());
        exit(1);
    }
    CRecordingOperator recorder(driver);
    g_pRecorder = &recorder;
    FILE* quiet = fopen("/dev/null", "w");
    CHostSession session(RecordingEntry, quiet);
    if (session.Run(steps) != 0) {
        fprintf(stderr, "the demo session did not run as expected\n");
        exit(1);
    }
    fclose(quiet);
    driver->Release();
    return recorder.Triplets();
}

// One pass over the replayed triplets, from the state a session starts in.
void Replay(CReplayOperator& op, bool traced) {
    g_cParaAnalyze.SetTwainStatus(3);
    const std::vector<RecordedTriplet>& triplets = op.Triplets();
    for (size_t i = 0; i < triplets.size(); ++i) {
        const RecordedTriplet& t = triplets[i];
        if (traced) ForwardAndTrace(&op, &g_application, t.DG, t.DAT, t.MSG, op.DataFor(i));
        else op.OperateTriplet(&g_application, t.DG, t.DAT, t.MSG, op.DataFor(i));
    }
}

// Each write that the monitor makes, as it makes it: a flushed fwrite arrives
// here as one piece.
ssize_t CapturePiece(void* cookie, const char* bytes, size_t size) {
    static_cast<std::vector<std::string>*>(cookie)->emplace_back(bytes, size);
    return static_cast<ssize_t>(size);
}

std::vector<std::string> CaptureWrites(CReplayOperator& op) {
    std::vector<std::string> pieces;
    cookie_io_functions_t io = {nullptr, CapturePiece, nullptr, nullptr};
    FILE* capture = fopencookie(&pieces, "w", io);
    g_pLogFile = capture;
    Replay(op, true);
    g_pLogFile = nullptr;
    fclose(capture);
    return pieces;
}

class CTraceFile {
public:
    CTraceFile() {
        char dir[] = "/tmp/trace_bench.XXXXXX";
        if (!mkdtemp(dir)) exit(1);
        m_dir = dir;
        m_path = m_dir + "/Twainlog_bench.txt";
        m_file = fopen(m_path.c_str(), "w");
    }
    ~CTraceFile() {
        fclose(m_file);
        remove(m_path.c_str());
        rmdir(m_dir.c_str());
    }
    FILE* get() { return m_file; }
    // Back to empty between passes, so the file does not grow without end.
    void Rewind() {
        fflush(m_file);
        if (ftruncate(fileno(m_file), 0) != 0) exit(1);
        rewind(m_file);
    }

private:
    std::string m_dir;
    std::string m_path;
    FILE* m_file;
};

struct Workload {
    std::string name;
    CReplayOperator* op;
    std::vector<std::string> writes;
};

void RegisterWorkload(Workload& w, CTraceFile& file) {
    auto records = [&w](benchmark::State& state) {
        state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * w.op->Triplets().size()));
    };
    benchmark::RegisterBenchmark((w.name + "/bare_forward").c_str(), [&w, records](benchmark::State& state) {
        for (auto _ : state) Replay(*w.op, false);
        records(state);
    });
    benchmark::RegisterBenchmark((w.name + "/analysis_only").c_str(), [&w, records](benchmark::State& state) {
        g_pLogFile = nullptr;
        for (auto _ : state) Replay(*w.op, true);
        records(state);
    });
    benchmark::RegisterBenchmark((w.name + "/traced").c_str(), [&w, &file, records](benchmark::State& state) {
        g_pLogFile = file.get();
        for (auto _ : state) {
            Replay(*w.op, true);
            state.PauseTiming();
            file.Rewind();
            state.ResumeTiming();
        }
        g_pLogFile = nullptr;
        records(state);
    });
    benchmark::RegisterBenchmark((w.name + "/io_floor").c_str(), [&w, &file, records](benchmark::State& state) {
        FILE* f = file.get();
        for (auto _ : state) {
            for (const std::string& piece : w.writes) {
                fwrite(piece.data(), 1, piece.size(), f);
                fflush(f);
            }
            state.PauseTiming();
            file.Rewind();
            state.ResumeTiming();
        }
        records(state);
    });
}

// Keeps each benchmark's time per iteration for the ratios: the median of the
// repetitions when there are several, which a noisy neighbour moves least.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    // Colour only for a terminal: the console reporter's default colours a file too.
    CRatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) m_times[run.run_name.str()] = run.GetAdjustedRealTime();
            else if (run.aggregate_name == "median") m_medians[run.run_name.str()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Time(const std::string& name) const {
        auto median = m_medians.find(name);
        if (median != m_medians.end()) return median->second;
        auto it = m_times.find(name);
        return it == m_times.end() ? 0 : it->second;
    }

private:
    std::map<std::string, double> m_times;
    std::map<std::string, double> m_medians;
};

double Seconds(void (*pass)(Workload&, CTraceFile&), Workload& w, CTraceFile& file) {
    auto start = std::chrono::steady_clock::now();
    pass(w, file);
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    file.Rewind();
    return elapsed;
}

void BarePass(Workload& w, CTraceFile&) { Replay(*w.op, false); }

void TracedPass(Workload& w, CTraceFile& file) {
    g_pLogFile = file.get();
    Replay(*w.op, true);
    g_pLogFile = nullptr;
}

void FloorPass(Workload& w, CTraceFile& file) {
    for (const std::string& piece : w.writes) {
        fwrite(piece.data(), 1, piece.size(), file.get());
        fflush(file.get());
    }
}

// (traced - bare) / floor from passes run back to back, many times over: a
// neighbour that slows the machine for a while slows all three of a round alike,
// and the median of the rounds is what a typical call costs.
double PairedTraceOverFloor(Workload& w, CTraceFile& file) {
    constexpr int kRounds = 301;
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; ++round) {
        double bare = Seconds(BarePass, w, file);
        double traced = Seconds(TracedPass, w, file);
        double floor = Seconds(FloorPass, w, file);
        ratios.push_back((traced - bare) / floor);
    }
    std::nth_element(ratios.begin(), ratios.begin() + kRounds / 2, ratios.end());
    return ratios[kRounds / 2];
}

double AllocationsPerRecord(std::vector<Workload>& workloads, CTraceFile& file) {
    g_pLogFile = file.get();
    size_t records = 0;
    StartCountingAllocations();
    for (int pass = 0; pass < 10; ++pass) {
        for (Workload& w : workloads) {
            Replay(*w.op, true);
            records += w.op->Triplets().size();
        }
    }
    uint64_t allocations = StopCountingAllocations();
    g_pLogFile = nullptr;
    file.Rewind();
    return static_cast<double>(allocations) / static_cast<double>(records);
}

}  // namespace

int main(int argc, char** argv) {
    g_application.ProtocolMajor = 2;
    g_application.ProtocolMinor = 1;
    CReplayOperator demo(RecordDemoSession());
    CReplayOperator enum100({ResolutionEnumeration(100)});
    CReplayOperator enum1000({ResolutionEnumeration(1000)});
    CReplayOperator strip({MemoryTransferStrip()});
    std::vector<Workload> workloads = {
        {"demo", &demo, {}}, {"enum100", &enum100, {}}, {"enum1000", &enum1000, {}}, {"strip", &strip, {}}};
    for (Workload& w : workloads) w.writes = CaptureWrites(*w.op);

    CTraceFile file;
    for (Workload& w : workloads) RegisterWorkload(w, file);
    benchmark::Initialize(&argc, argv);
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double allocs = AllocationsPerRecord(workloads, file);
    benchmark::Shutdown();

    // What the trace adds to a call, over what the same writes take alone.
    printf("records: demo %zu triplets\n", demo.Triplets().size());
    printf("ratio trace_vs_io_floor_enum100 = %.3f\n", PairedTraceOverFloor(workloads[1], file));
    printf("ratio trace_vs_io_floor_strip = %.3f\n", PairedTraceOverFloor(workloads[3], file));
    printf("ratio trace_vs_io_floor = %.3f\n", PairedTraceOverFloor(workloads[0], file));
    double enum100Time = reporter.Time("enum100/traced");
    printf("ratio enum1000_vs_enum100 = %.3f\n",
           enum100Time > 0 ? reporter.Time("enum1000/traced") / enum100Time : 0);
    printf("ratio allocs_per_record = %.3f\n", allocs);
    return 0;
}
