// The trace reader and twtrace summary on a generated trace of at least 100 MB
// (the demo session's trace, repeated), against the I/O floor: the same file read
// with fread in the same chunks and its lines counted. The last lines give the
// throughput, the ratios to the floor and the peak memory after a 10 MB and after
// the 100 MB trace: a reader whose memory grew with the file would show it there.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Html.h"

namespace {

constexpr uint64_t kLargeBytes = 100ull << 20;
constexpr uint64_t kSmallBytes = 10ull << 20;

// A file of the sample trace repeated until it holds at least `bytes`, written
// piece by piece so the generation itself stays small.
std::string WriteTrace(const char* name, uint64_t bytes) {
    std::ifstream sample(TRACE_SAMPLE, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(sample)), std::istreambuf_iterator<char>());
    if (text.empty()) {
        fprintf(stderr, "no sample trace at %s\n", TRACE_SAMPLE);
        exit(1);
    }
    std::string path = (std::filesystem::temp_directory_path() / name).string();
    FILE* file = fopen(path.c_str(), "wb");
    for (uint64_t written = 0; written < bytes; written += text.size()) fwrite(text.data(), 1, text.size(), file);
    fclose(file);
    return path;
}

uint64_t FileBytes(const std::string& path) { return std::filesystem::file_size(path); }

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void IoFloor(benchmark::State& state, const std::string& path) {
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        FILE* file = fopen(path.c_str(), "rb");
        uint64_t lines = 0;
        for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), file)) > 0;)
            for (const char* p = buffer.data(); (p = static_cast<const char*>(memchr(p, '\n', buffer.data() + n - p)));
                 ++p)
                ++lines;
        fclose(file);
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileBytes(path)));
}

void Reader(benchmark::State& state, const std::string& path) {
    TraceRecord record;
    for (auto _ : state) {
        FILE* file = fopen(path.c_str(), "rb");
        CTraceReader reader(file);
        uint64_t records = 0;
        while (reader.Next(record)) ++records;
        fclose(file);
        benchmark::DoNotOptimize(records);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileBytes(path)));
}

void Summary(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        FILE* file = fopen(path.c_str(), "rb");
        CTraceReader reader(file);
        std::ostringstream out;
        ReadProblem problem;
        RunSummary(reader, out, problem);
        fclose(file);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileBytes(path)));
}

// twtrace html, the page written to a file beside the trace (its records spill to a
// temporary file on the way, as they do for a user).
void Page(benchmark::State& state, const std::string& path) {
    const std::string page = path + ".html";
    for (auto _ : state) {
        FILE* file = fopen(path.c_str(), "rb");
        CTraceReader reader(file);
        std::ofstream out(page, std::ios::binary | std::ios::trunc);
        ReadProblem problem;
        RunHtml(reader, "bench", out, problem);
        out.close();
        fclose(file);
    }
    state.counters["page_mb"] = static_cast<double>(FileBytes(page)) / (1 << 20);
    std::filesystem::remove(page);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileBytes(path)));
}

// Seconds per iteration of each benchmark, for the ratios.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    // Colour only on a terminal.
    CRatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) {
                std::string name = run.run_name.str();
                name = name.substr(0, name.find('/'));
                m_seconds[name] = run.GetAdjustedRealTime() / 1e3;
                m_cpuSeconds[name] = run.GetAdjustedCPUTime() / 1e3;
            }
        ConsoleReporter::ReportRuns(runs);
    }
    double Seconds(const std::string& name) const { return Find(m_seconds, name); }
    double CpuSeconds(const std::string& name) const { return Find(m_cpuSeconds, name); }

private:
    static double Find(const std::map<std::string, double>& times, const std::string& name) {
        auto it = times.find(name);
        return it == times.end() ? 0 : it->second;
    }
    std::map<std::string, double> m_seconds, m_cpuSeconds;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string small = WriteTrace("twtrace_bench_10mb.txt", kSmallBytes);
    const std::string large = WriteTrace("twtrace_bench_100mb.txt", kLargeBytes);
    benchmark::RegisterBenchmark("reader_10mb", Reader, small)->Unit(benchmark::kMillisecond)->Iterations(2);
    benchmark::RegisterBenchmark("summary_10mb", Summary, small)->Unit(benchmark::kMillisecond)->Iterations(2);
    benchmark::RegisterBenchmark("html_10mb", Page, small)->Unit(benchmark::kMillisecond)->Iterations(2);
    benchmark::RegisterBenchmark("io_floor", IoFloor, large)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("reader", Reader, large)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("summary", Summary, large)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("html", Page, large)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::Initialize(&argc, argv);
    CRatioReporter reporter;
    // The small trace first, so the peak after it is the reader's own.
    benchmark::RunSpecifiedBenchmarks(&reporter, "_10mb");
    const long peakSmall = PeakRssKb();
    benchmark::RunSpecifiedBenchmarks(&reporter, "io_floor|^reader/|summary|^html/");
    const long peakLarge = PeakRssKb();
    benchmark::Shutdown();

    const double mb = static_cast<double>(FileBytes(large)) / (1 << 20);
    printf("trace: %.1f MB\n", mb);
    for (const char* name : {"io_floor", "reader", "summary", "html"})
        if (double s = reporter.Seconds(name))
            printf("throughput %s = %.0f MB/s (%.0f MB/s of its CPU time)\n", name, mb / s, mb / reporter.CpuSeconds(name));
    double floor = reporter.Seconds("io_floor");
    if (floor > 0) {
        printf("ratio reader_vs_io_floor = %.2f\n", reporter.Seconds("reader") / floor);
        printf("ratio summary_vs_io_floor = %.2f\n", reporter.Seconds("summary") / floor);
        printf("ratio html_vs_io_floor = %.2f\n", reporter.Seconds("html") / floor);
        printf("ratio html_vs_summary = %.2f\n", reporter.Seconds("html") / reporter.Seconds("summary"));
    }
    printf("peak memory after the 10 MB trace = %.1f MB, after the 100 MB trace = %.1f MB\n", peakSmall / 1024.0,
           peakLarge / 1024.0);
    std::filesystem::remove(small);
    std::filesystem::remove(large);
    return 0;
}
