// What `numo eval --batch` does per formula, in the process: the formula typed into the open
// dialog of the stand-in host (hostsim's headless dialog, with the module's own procedure), the
// four output fields read back, the message number looked up and the block printed into a
// buffer. Beside "edit/numo" (the module's Recalculate alone) it shows the host's own share.
#include "bench/batch_bench.h"

#include "bench/bench_host.h"
#include "dialog/calculator.h"
#include "far/calculator_contract.h"
#include "hostsim/host.h"
#include "hostsim/language_file.h"

#include <benchmark/benchmark.h>

#include <deque>
#include <sstream>
#include <string>
#include <vector>

using numo::hostsim::Dialog;
using numo::hostsim::Host;
using numo::hostsim::LanguageFile;

namespace {
void BatchFormula(benchmark::State& state, const std::vector<std::string>* formulas,
                  const std::string* languageFile) {
    Host host(numo::hostsim::ReadLanguageFile(*languageFile));
    host.Start(SetStartupInfo);
    std::ostringstream out;
    std::size_t next = 0;
    host.Open(OpenPlugin, [&](Dialog& dialog) {
        for (auto _ : state) {
            const std::string& formula = (*formulas)[next++ % formulas->size()];
            dialog.EditText(ItemFormula, formula);
            std::string postfix = dialog.Text(ItemPostfix), result = dialog.Text(ItemResult);
            std::string hex = dialog.Text(ItemHex), bin = dialog.Text(ItemBin);
            out << "postfix: " << postfix << "\nresult: " << result << "\nhex: " << hex
                << "\nbin: " << bin << "\nstatus: "
                << numo::hostsim::FindShownMessage(host.Language(), result, kFirstFaultMessage,
                                                   kLastFaultMessage, kResultMessage)
                << "\n\n";
            if (out.tellp() > (1 << 20))
                out.str("");
        }
        dialog.Close(-1);
    });
    benchmark::DoNotOptimize(out);
    // The module's records are the bench host's again for the benchmarks after this one.
    StartBenchHost();
}
} // namespace

void RegisterBatchBenchmark(const std::string& label, const std::vector<std::string>& formulas,
                            const std::string& languageFile) {
    static std::deque<std::vector<std::string>> kept; // stable addresses for the benchmarks
    static std::string language;
    kept.push_back(formulas);
    language = languageFile;
    benchmark::RegisterBenchmark(("batch/host+numo/" + label).c_str(), BatchFormula, &kept.back(),
                                 &language);
}
