#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// Cases that have the floor program's same work beside them, read as a ratio to it.
const std::map<std::string, std::string> FloorOf = {
    {"BM_PollWholePath", "BM_FloorPoll"},
    {"BM_CallersReply", "BM_FloorPoll"},
    {"BM_StartUp", "BM_FloorStartUp"},
};

// The console's report, then each case against its floor by CPU time per iteration.
class TRatioReporter final : public benchmark::ConsoleReporter
{
public:
    TRatioReporter()
        : ConsoleReporter(OO_Tabular)
    {
    }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            // A case with a fixed count of iterations carries it in its name.
            const std::string name = run.benchmark_name();
            if (run.iterations > 0)
                m_cpu[name.substr(0, name.find("/iterations:"))] = run.GetAdjustedCPUTime();
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto &[name, floor] : FloorOf) {
            const auto own = m_cpu.find(name);
            const auto base = m_cpu.find(floor);
            if (own != m_cpu.end() && base != m_cpu.end() && base->second > 0.0)
                std::printf("%-20s %6.2f x %s\n", name.c_str(), own->second / base->second, floor.c_str());
        }
    }

private:
    std::map<std::string, double> m_cpu;
};

} // namespace

// Each benchmark file registers its own cases; this only sets up Qt around them.
int main(int argc, char **argv)
{
    // Drawing and fonts need a GUI application but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
