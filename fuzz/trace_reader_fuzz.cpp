// The trace reader and every twtrace command on arbitrary text: no input may
// crash them, read out of bounds or loop. The input is also split in two for diff.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string_view>

#include "Commands.h"

namespace {

// Output nobody reads; formatting it still runs.
class CNullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    CNullBuffer buffer;
    std::ostream out(&buffer);
    ReadProblem problem;
    for (auto command : {RunJson, RunSummary, RunCheck, RunScript}) {
        CTraceReader reader(text);
        command(reader, out, problem);
    }
    CTraceReader first(text.substr(0, size / 2)), second(text.substr(size / 2));
    RunDiff(first, second, out, problem);
    return 0;
}
