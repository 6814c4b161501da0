// The history lists in a file shared by every numo process: reading, merging and safe writing.
#include "console/history_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <thread>
#include <unordered_set>
#include <utility>

namespace numo::console {

namespace {
struct Entry {
    std::string name, text;
    bool operator==(const Entry&) const = default;
};

// A damaged file may be anything: a file far larger than any history is not read at all rather
// than held in memory.
constexpr off_t kMaxFileSize = 4 << 20;

// Why the history could not be read or written. It never ends the program: Add keeps the reason
// in LastError, and reading gives no entries.
class HistoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string Errno(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool IsBlankText(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

std::string Escape(std::string_view text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\0' || ch == '\r' || ch == '\t')
            return std::nullopt; // never written raw
        if (ch != '\\') {
            out += ch;
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

// One key per distinct entry, for finding repeats: the name's length keeps name and text apart.
std::string EntryKey(const Entry& entry) {
    return std::to_string(entry.name.size()) + ":" + entry.name + entry.text;
}

// Entries without repeats, the newest of equal entries staying where it stands: one pass from
// the newest back, so that a file at the size cap (some 200,000 lines) reads in linear time.
void DropRepeats(std::vector<Entry>& entries) {
    std::unordered_set<std::string> seen;
    seen.reserve(entries.size());
    std::vector<bool> repeat(entries.size());
    for (std::size_t i = entries.size(); i-- > 0;)
        repeat[i] = !seen.insert(EntryKey(entries[i])).second;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (repeat[i])
            continue;
        if (kept != i)
            entries[kept] = std::move(entries[i]);
        ++kept;
    }
    entries.resize(kept);
}

// The entries of a file's contents, oldest first, without the lines that do not read and without
// repeats (the newest of equal entries stays).
std::vector<Entry> Parse(std::string_view contents) {
    std::vector<Entry> entries;
    while (!contents.empty()) {
        std::size_t end = contents.find('\n');
        std::string_view line = contents.substr(0, end);
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1); // a line end written on Windows, or by an editor there
        std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            continue;
        std::optional<std::string> name = Unescape(line.substr(0, tab));
        std::optional<std::string> text = Unescape(line.substr(tab + 1));
        if (!name || !text || name->empty() || text->empty() ||
            text->size() > static_cast<std::size_t>(hostsim::Dialog::kMaxTextLength))
            continue;
        entries.push_back(Entry{std::move(*name), std::move(*text)});
    }
    DropRepeats(entries);
    return entries;
}

// The file's contents; "" for a missing file. Throws HistoryError for an unreadable or oversized
// file, or anything but a regular file. A FIFO is never waited for: the open does not block (a
// FIFO without a writer would hold the program before it draws anything).
std::string ReadContents(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::string();
        throw HistoryError(Errno("cannot read " + path));
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileSize) {
        close(fd);
        throw HistoryError(path +
                           " is not a history file (a folder, a FIFO, a device or too large)");
    }
    std::string contents;
    char buffer[8192];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            std::string reason = Errno("cannot read " + path);
            close(fd);
            throw HistoryError(reason);
        }
        if (n == 0)
            break;
        contents.append(buffer, static_cast<std::size_t>(n));
        if (contents.size() > static_cast<std::size_t>(kMaxFileSize))
            break; // grew while being read: what was read is enough
    }
    close(fd);
    return contents;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// mkdir -p for the file's folder; the folders made are the user's own (0700), as the state
// directory should be.
void MakeParents(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            throw HistoryError(Errno("cannot make the folder " + folder));
    }
}

// Holds an exclusive flock on a file for its lifetime. Another process holding it is waited for
// at most `wait`, in short steps; `waiting` is told once when the wait begins.
class FileLock {
public:
    FileLock(const std::string& path, std::chrono::milliseconds wait,
             const std::function<void()>& waiting) {
        fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
        if (fd_ < 0)
            return;
        constexpr auto kStep = std::chrono::milliseconds(20);
        auto deadline = std::chrono::steady_clock::now() + wait;
        bool told = false;
        while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            bool busy = errno == EWOULDBLOCK;
            if ((busy || errno == EINTR) && std::chrono::steady_clock::now() < deadline) {
                if (busy && !told && waiting) {
                    told = true;
                    waiting();
                }
                std::this_thread::sleep_for(kStep);
                continue;
            }
            timed_out_ = busy;
            close(fd_);
            fd_ = -1;
            return;
        }
    }
    ~FileLock() {
        if (fd_ >= 0)
            close(fd_); // releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return fd_ >= 0; }
    bool TimedOut() const { return timed_out_; }

private:
    int fd_ = -1;
    bool timed_out_ = false;
};

// Where a write goes: the file the path names, through any symbolic links (a dotfile manager
// links the history into its own tree), so that the link stays a link. Relative links are read
// from the link's own folder; a loop gives up after as many steps as the system allows.
std::string WriteTarget(std::string path) {
    for (int step = 0; step < 40; ++step) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::string target(static_cast<std::size_t>(std::max<off_t>(info.st_size, 255)) + 1, '\0');
        ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
            return path;
        target.resize(static_cast<std::size_t>(length));
        if (target[0] != '/') {
            std::size_t slash = path.rfind('/');
            target =
                (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + target;
        }
        path = target;
    }
    return path;
}
} // namespace

FileHistory::FileHistory(std::string path, std::size_t cap)
    : path_(std::move(path)), cap_(std::max<std::size_t>(cap, 1)) {}

std::string FileHistory::DefaultPath() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/')
        return std::string(state) + "/numo/history";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + (home[std::strlen(home) - 1] == '/' ? "" : "/") +
               ".local/state/numo/history";
    return "";
}

std::vector<std::string> FileHistory::Entries(const std::string& name) const {
    std::vector<std::string> texts;
    if (path_.empty())
        return texts;
    std::string contents;
    try {
        contents = ReadContents(path_);
    } catch (const HistoryError&) {
        return texts; // the failure shows when the next formula cannot be kept
    }
    for (Entry& entry : Parse(contents)) {
        if (entry.name == name)
            texts.push_back(std::move(entry.text));
    }
    if (texts.size() > cap_)
        texts.erase(texts.begin(), texts.end() - static_cast<std::ptrdiff_t>(cap_));
    return texts;
}

void FileHistory::Add(const std::string& name, const std::string& text) {
    last_error_.clear();
    if (name.empty() || IsBlankText(text) ||
        text.size() > static_cast<std::size_t>(hostsim::Dialog::kMaxTextLength))
        return;
    try {
        Write(name, text);
    } catch (const HistoryError& error) {
        last_error_ = error.what();
    }
}

void FileHistory::Write(const std::string& name, const std::string& text) {
    if (path_.empty())
        throw HistoryError("neither XDG_STATE_HOME nor HOME is set, so there is no place for it");
    MakeParents(path_);
    FileLock lock(path_ + ".lock", lock_wait_, waiting_);
    if (lock.TimedOut())
        throw HistoryError("another numo held " + path_ + ".lock for longer than " +
                           std::to_string(lock_wait_.count()) + " ms");
    if (!lock.Held())
        throw HistoryError(Errno("cannot lock " + path_ + ".lock"));
    std::string target = WriteTarget(path_);
    if (target != path_)
        MakeParents(target);
    // The file keeps the mode its owner gave it; one they made read-only is not written at all
    // (even where the process could: root, or a folder it may write).
    mode_t mode = 0600;
    struct stat existing {};
    if (stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        mode = existing.st_mode & 07777;
        if ((mode & S_IWUSR) == 0) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode));
            throw HistoryError(target + " is read-only (mode " + octal + ")");
        }
    }
    // What other processes wrote since this one read the file stays; a damaged file is replaced
    // by the entries that could be read from it.
    // A file that cannot be read at all is left alone: writing would lose what it holds.
    std::vector<Entry> entries = Parse(ReadContents(target));
    Entry added{name, text};
    entries.erase(std::remove(entries.begin(), entries.end(), added), entries.end());
    entries.push_back(added);
    std::size_t inList = static_cast<std::size_t>(std::count_if(
        entries.begin(), entries.end(), [&](const Entry& e) { return e.name == name; }));
    // The oldest of the list beyond the cap go, in one pass.
    std::size_t excess = inList > cap_ ? inList - cap_ : 0;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const Entry& e) {
                                     if (excess == 0 || e.name != name)
                                         return false;
                                     --excess;
                                     return true;
                                 }),
                  entries.end());

    std::string contents;
    for (const Entry& entry : entries)
        contents += Escape(entry.name) + "\t" + Escape(entry.text) + "\n";
    // The temporary file lies beside the target, so the rename stays within one file system.
    std::string temporary = target + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0)
        throw HistoryError(Errno("cannot write a temporary file beside " + target));
    bool written = fchmod(fd, mode) == 0 && WriteAll(fd, contents) && fsync(fd) == 0;
    std::string reason = written ? "" : Errno("cannot write " + temporary);
    if (close(fd) != 0 && written) {
        written = false;
        reason = Errno("cannot write " + temporary);
    }
    if (written && rename(temporary.c_str(), target.c_str()) != 0) {
        written = false;
        reason = Errno("cannot replace " + target);
    }
    if (!written) {
        unlink(temporary.c_str());
        throw HistoryError(reason);
    }
}

} // namespace numo::console
