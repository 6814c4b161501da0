// Lines of an input stream read straight from its file descriptor, in memory that stays the same
// whatever the input: `numo eval --batch` as a filter.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace numo::console {

class LineReader {
public:
    struct Line {
        std::string text;       // the line without its end ("\n" or "\r\n"): at most the bytes kept
        std::size_t length = 0; // the whole line's length in bytes
        bool hasNul = false;    // a NUL byte anywhere in it, kept or not
        bool Cut() const { return length > text.size(); }
    };

    // Reads descriptor fd, named `name` in errors ("standard input"). Of each line at most
    // maxKept bytes are held; the rest is counted and dropped. beforeRead is called before each
    // read of the descriptor, which may wait for input: the caller's moment to flush what it
    // wrote so far (a file is read in large blocks, so that is not once a line).
    LineReader(int fd, std::string name, std::size_t maxKept, std::function<void()> beforeRead);

    // The next line into *line; false at the end of the input. A last line without its "\n"
    // is a line. Throws Failure (kExitInput) when a read fails: a closed descriptor, a folder,
    // an error of the device.
    bool Next(Line* line);

private:
    bool Fill(); // false at the end of the input

    int fd_;
    std::string name_;
    std::size_t max_kept_;
    std::function<void()> before_read_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0, end_ = 0; // the unread part of buffer_
    bool ended_ = false;
};

} // namespace numo::console
