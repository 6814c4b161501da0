// muParser as a batch filter, the reference for `numo eval --batch` as a whole process: reads a
// formula a line from standard input (muParser's spelling), parses it, evaluates it and prints
// the value with three decimals, or the parser's message.
// Usage: muparser_batch A B C < formulas
#include "bench/muparser_side.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: muparser_batch A B C < formulas\n");
        return 2;
    }
    double a = std::strtod(argv[1], nullptr), b = std::strtod(argv[2], nullptr),
           c = std::strtod(argv[3], nullptr);
    mu::Parser parser;
    SetUpMuParser(parser, &a, &b, &c);
    char* line = nullptr;
    std::size_t room = 0;
    ssize_t length;
    while ((length = getline(&line, &room, stdin)) >= 0) {
        std::string text(line, static_cast<std::size_t>(length));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        try {
            parser.SetExpr(text);
            std::printf("%.3f\n", parser.Eval());
        } catch (mu::Parser::exception_type& error) {
            std::printf("error: %s\n", error.GetMsg().c_str());
        }
    }
    std::free(line);
    return std::ferror(stdout) != 0 || std::fflush(stdout) != 0 ? 1 : 0;
}
