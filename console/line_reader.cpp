// Reading lines in blocks from a file descriptor, holding a bounded part of each line.
#include "console/line_reader.h"

#include "console/exit_status.h"

#ifdef _WIN32
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace numo::console {

namespace {
// A pipe's whole buffer, and many lines of a file, in one read.
constexpr std::size_t kBlockSize = 64 * 1024;
} // namespace

LineReader::LineReader(int fd, std::string name, std::size_t maxKept,
                       std::function<void()> beforeRead)
    : fd_(fd), name_(std::move(name)), max_kept_(maxKept), before_read_(std::move(beforeRead)),
      buffer_(kBlockSize) {}

bool LineReader::Fill() {
    if (ended_)
        return false; // a terminal's Ctrl+D is the end, and is not read past
    if (before_read_)
        before_read_();
    for (;;) {
#ifdef _WIN32
        int n = _read(fd_, buffer_.data(), static_cast<unsigned>(buffer_.size()));
#else
        ssize_t n = read(fd_, buffer_.data(), buffer_.size());
#endif
        if (n > 0) {
            begin_ = 0;
            end_ = static_cast<std::size_t>(n);
            return true;
        }
        if (n == 0) {
            ended_ = true;
            return false;
        }
        if (errno == EINTR)
            continue;
#ifndef _WIN32
        // A descriptor left non-blocking by whoever passed it: wait for input as a blocking one
        // would.
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd ready{fd_, POLLIN, 0};
            poll(&ready, 1, -1);
            continue;
        }
#endif
        throw Failure(kExitInput, "cannot read " + name_ + ": " + std::strerror(errno));
    }
}

bool LineReader::Next(Line* line) {
    line->text.clear();
    line->length = 0;
    line->hasNul = false;
    bool any = false, endsInCr = false;
    for (;;) {
        if (begin_ == end_ && !Fill()) {
            if (!any)
                return false;
            break; // the last line, without its "\n"
        }
        any = true;
        const char* start = buffer_.data() + begin_;
        std::size_t available = end_ - begin_;
        const char* newline = static_cast<const char*>(std::memchr(start, '\n', available));
        std::size_t take =
            newline != nullptr ? static_cast<std::size_t>(newline - start) : available;
        if (take > 0) {
            if (std::memchr(start, '\0', take) != nullptr)
                line->hasNul = true;
            std::size_t room = max_kept_ - std::min(line->text.size(), max_kept_);
            line->text.append(start, std::min(take, room));
            line->length += take;
            endsInCr = start[take - 1] == '\r';
        }
        begin_ += take;
        if (newline != nullptr) {
            ++begin_;
            break;
        }
    }
    if (endsInCr) { // a line end written on Windows
        --line->length;
        if (line->text.size() > line->length)
            line->text.pop_back();
    }
    return true;
}

} // namespace numo::console
