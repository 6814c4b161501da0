// The cost of one edit: the calculator's whole recalculation (Recalculate, from the formula
// field's text to the four output texts) against muParser parsing the new text and evaluating it
// once, on the same formulas. Before anything is timed, both sides must agree on every value.
#include "bench/batch_bench.h"
#include "bench/bench_host.h"
#include "bench/corpus.h"
#include "bench/heap_count.h"
#include "bench/muparser_side.h"

#include "engine/status.h"
#include "platform/winapi.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace {

// A set of formulas timed together: one corpus class or one generated length. Each formula has
// its own open dialog, so an edit is one Recalculate call and nothing else.
struct Workload {
    std::string label; // "corpus:short", "length:64"
    std::vector<FormulaPair> formulas;
    std::unique_ptr<BenchDialog[]> dialogs;
    double meanLength = 0;
};

std::deque<Workload> gWorkloads; // stable addresses for the registered benchmarks
mu::Parser gParser;
double gMuA = 0, gMuB = 0, gMuC = 0; // muParser's a, b, c: the dialog's fields hold "0"

// Growth: generated formulas of these exact lengths (511 is the most the field holds).
const std::size_t kGrowthLengths[] = {16, 32, 64, 128, 256, 511};
constexpr int kFormulasPerLength = 16;

void AddWorkload(const std::string& label, std::vector<FormulaPair> formulas) {
    Workload& w = gWorkloads.emplace_back();
    w.label = label;
    w.formulas = std::move(formulas);
    w.dialogs = std::make_unique<BenchDialog[]>(w.formulas.size());
    double total = 0;
    for (std::size_t i = 0; i < w.formulas.size(); ++i) {
        OpenBenchDialog(&w.dialogs[i], w.formulas[i].numo.c_str());
        total += static_cast<double>(w.formulas[i].numo.size());
    }
    w.meanLength = total / static_cast<double>(w.formulas.size());
}

// Both sides must give the same value for every formula, without fault, and an edit must leave
// no heap block behind; otherwise the comparison would time different work.
bool CheckAgreement() {
    bool agreed = true;
    for (Workload& w : gWorkloads) {
        for (std::size_t i = 0; i < w.formulas.size(); ++i) {
            const FormulaPair& f = w.formulas[i];
            if (f.numo.size() >= static_cast<std::size_t>(kItemTextSize)) {
                std::fprintf(stderr, "%s: longer than the formula field: %s\n", w.label.c_str(),
                             f.numo.c_str());
                agreed = false;
                continue;
            }
            platform::HeapCounters before = platform::GetHeapCounters();
            Recalculate(&w.dialogs[i]);
            platform::HeapCounters after = platform::GetHeapCounters();
            if (after.allocations - after.frees != before.allocations - before.frees) {
                std::fprintf(stderr, "%s: heap blocks left behind by %s\n", w.label.c_str(),
                             f.numo.c_str());
                agreed = false;
            }
            if (gStatus != MsgOk) {
                std::fprintf(stderr, "%s: numo refuses %s: message %d (%s)\n", w.label.c_str(),
                             f.numo.c_str(), gStatus, w.dialogs[i].items[ItemResult].Data);
                agreed = false;
                continue;
            }
            double reference;
            try {
                gParser.SetExpr(f.muparser);
                reference = gParser.Eval();
            } catch (mu::Parser::exception_type& error) {
                std::fprintf(stderr, "%s: muParser refuses %s: %s\n", w.label.c_str(),
                             f.muparser.c_str(), error.GetMsg().c_str());
                agreed = false;
                continue;
            }
            double scale = std::fmax(1.0, std::fmax(std::fabs(gResult), std::fabs(reference)));
            if (!(std::fabs(gResult - reference) <= 1e-12 * scale)) {
                std::fprintf(stderr, "%s: values differ for %s: numo %.17g, muParser %.17g (%s)\n",
                             w.label.c_str(), f.numo.c_str(), gResult, reference,
                             f.muparser.c_str());
                agreed = false;
            }
        }
    }
    return agreed;
}

void NumoEdit(benchmark::State& state, Workload* w) {
    const std::size_t count = w->formulas.size();
    std::size_t i = 0;
    platform::HeapCounters before = platform::GetHeapCounters();
    for (auto _ : state) {
        Recalculate(&w->dialogs[i]);
        if (++i == count)
            i = 0;
    }
    platform::HeapCounters after = platform::GetHeapCounters();
    double made = static_cast<double>(after.allocations - before.allocations);
    double left = static_cast<double>(after.allocations - after.frees) -
                  static_cast<double>(before.allocations - before.frees);
    state.counters["blocks"] = benchmark::Counter(made, benchmark::Counter::kAvgIterations);
    state.counters["left"] = benchmark::Counter(left, benchmark::Counter::kAvgIterations);
    state.counters["chars"] = w->meanLength;
}

void MuParserEdit(benchmark::State& state, Workload* w) {
    std::vector<std::string> texts;
    for (const FormulaPair& f : w->formulas)
        texts.push_back(f.muparser);
    const std::size_t count = texts.size();
    std::size_t i = 0;
    unsigned long long before = GetNewCount();
    for (auto _ : state) {
        gParser.SetExpr(texts[i]);
        benchmark::DoNotOptimize(gParser.Eval());
        if (++i == count)
            i = 0;
    }
    // No "left" here: muParser keeps its buffers in the parser between parses and grows them for
    // a longer text, so its balance over a run moves without anything being lost.
    double made = static_cast<double>(GetNewCount() - before);
    state.counters["blocks"] = benchmark::Counter(made, benchmark::Counter::kAvgIterations);
    state.counters["chars"] = w->meanLength;
}

// Takes "--corpus=PATH" out of the arguments; the rest belongs to Google Benchmark.
std::string TakeCorpusPath(int* argc, char** argv) {
    std::string path = NUMO_BENCH_CORPUS;
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        if (std::strncmp(argv[i], "--corpus=", 9) == 0)
            path = argv[i] + 9;
        else
            argv[kept++] = argv[i];
    }
    *argc = kept;
    argv[kept] = nullptr;
    return path;
}

} // namespace

int main(int argc, char** argv) {
    std::string corpusPath = TakeCorpusPath(&argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;

    StartBenchHost();
    SetUpMuParser(gParser, &gMuA, &gMuB, &gMuC);

    std::vector<CorpusClass> classes;
    std::string error;
    if (!LoadCorpus(corpusPath.c_str(), &classes, &error)) {
        std::fprintf(stderr, "numo_bench: %s\n", error.c_str());
        return 2;
    }
    for (CorpusClass& c : classes)
        AddWorkload("corpus:" + c.name, std::move(c.formulas));
    for (std::size_t length : kGrowthLengths) {
        std::vector<FormulaPair> formulas =
            GenerateFormulas(length, kFormulasPerLength, static_cast<unsigned>(length));
        for (const FormulaPair& f : formulas) {
            if (f.numo.size() != length) {
                std::fprintf(stderr, "numo_bench: generated %zu characters, not %zu: %s\n",
                             f.numo.size(), length, f.numo.c_str());
                return 2;
            }
        }
        AddWorkload("length:" + std::to_string(length), std::move(formulas));
    }

    if (!CheckAgreement()) {
        std::fprintf(stderr, "numo_bench: numo and muParser disagree; nothing timed\n");
        return 1;
    }

    for (Workload& w : gWorkloads) {
        benchmark::RegisterBenchmark(("edit/numo/" + w.label).c_str(), NumoEdit, &w);
        benchmark::RegisterBenchmark(("edit/muparser/" + w.label).c_str(), MuParserEdit, &w);
    }
    // The same formulas through the stand-in host as `numo eval --batch` types them.
    for (Workload& w : gWorkloads) {
        std::vector<std::string> texts;
        for (const FormulaPair& f : w.formulas)
            texts.push_back(f.numo);
        RegisterBatchBenchmark(w.label, texts, NUMO_BENCH_LANGUAGE);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
