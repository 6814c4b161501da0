// The per-formula work of `numo eval --batch` through the stand-in host, as a benchmark.
#pragma once

#include <string>
#include <vector>

// Registers "batch/host+numo/<label>": each iteration types the next of formulas into the
// stand-in host's open calculator and prints its block into a buffer. languageFile: the
// module's English language file.
void RegisterBatchBenchmark(const std::string& label, const std::vector<std::string>& formulas,
                            const std::string& languageFile);
