// The formulas of the benchmark: a fixed corpus read from a file, and generated formulas of an
// exact length for the growth curve. Each formula comes with its muParser spelling.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct FormulaPair {
    std::string numo;     // as typed into the calculator's formula field
    std::string muparser; // the same formula in muParser's syntax, same value
};

struct CorpusClass {
    std::string name; // "short", "50", "500"
    std::vector<FormulaPair> formulas;
};

// Reads lines "class | numo formula | muParser formula"; blank lines and lines starting with
// "#" are skipped. Classes keep the order of their first line. False with a message in *error
// when the file cannot be read or a line is malformed.
bool LoadCorpus(const char* path, std::vector<CorpusClass>* classes, std::string* error);

// count formulas of exactly length characters (length >= 8), a typical mix of numbers,
// variables, constants, functions, operators, parentheses and the odd space, with values that
// evaluate without fault for a = b = c = 0. The same seed gives the same formulas on every
// machine.
std::vector<FormulaPair> GenerateFormulas(std::size_t length, int count, unsigned seed);
