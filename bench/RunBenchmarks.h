#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <vector>

#include "platform/Platform.h"

// Runs the benchmarks the command line selects, as BENCHMARK_MAIN does, and answers 1 when any
// of them reported an error, so that `make bench` fails with it.
class CErrorNotingReporter : public benchmark::ConsoleReporter {
public:
    CErrorNotingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            m_failed = m_failed || run.error_occurred;
        ConsoleReporter::ReportRuns(runs);
    }

    bool Failed() const { return m_failed; }

private:
    bool m_failed = false;
};

inline int RunBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    CErrorNotingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.Failed() ? 1 : 0;
}

// The same, on the headless platform, for benchmarks that make windows or widgets.
inline int RunBenchmarksOnHeadlessPlatform(int argc, char** argv)
{
    if (!w32::StartPlatform(w32::tBackendKind::kHeadless))
        return 1;
    const int result = RunBenchmarks(argc, argv);
    w32::StopPlatform();
    return result;
}
