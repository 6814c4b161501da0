// The host's history lists kept in a file of their own, shared by every numo process of the user.
//
// File format: one entry a line, "<list name>TAB<text>", oldest first, each list in its own order;
// a backslash, tab, line feed and carriage return inside a name or text are written as \\ \t \n
// \r. Lines that do not read that way (a damaged or foreign file) are skipped and dropped at the
// next write.
//
// Lines may end in CRLF (a file edited on Windows): such lines read as entries, and the next write
// ends every line in LF.
//
// Writing: under an exclusive flock on "<file>.lock", read the file again, merge the new entry
// into what other processes wrote meanwhile, write a temporary file beside it and rename it over
// the old one. Readers never lock: a rename replaces the whole file at once, so they see either
// the old list or the new one. A symbolic link is written through: the temporary file and the
// rename are in the folder of the file the link names, and the link stays. A lock that another
// process holds is waited for at most LockWait() (telling the caller once that it waits), then
// the write gives up.
//
// No failure stops the calculator: a missing, unreadable or damaged file reads as the entries it
// has (perhaps none), and a failed write leaves the file as it was and keeps its reason in
// LastError(). A FIFO, a folder or a device where the file should be is never opened blocking and
// never written; a history without a path (no HOME, no XDG_STATE_HOME) reads as empty and fails
// every write with its reason.
#pragma once

#include "hostsim/dialog.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace numo::console {

class FileHistory : public hostsim::HistoryStore {
public:
    static constexpr std::size_t kDefaultCap = 100;

    static constexpr std::chrono::milliseconds kDefaultLockWait{2000};

    // path: the history file, or "" for none; its folders are made on the first write. cap: the
    // entries kept per list, the newest.
    explicit FileHistory(std::string path, std::size_t cap = kDefaultCap);

    // How long a write waits for another process's lock, and what it calls once when it starts
    // waiting (the terminal front end shows that it waits).
    void SetLockWait(std::chrono::milliseconds wait, std::function<void()> waiting) {
        lock_wait_ = wait;
        waiting_ = std::move(waiting);
    }
    std::chrono::milliseconds LockWait() const { return lock_wait_; }

    // $XDG_STATE_HOME/numo/history, else $HOME/.local/state/numo/history (a relative
    // XDG_STATE_HOME counts as unset, as the XDG rules say); "" when neither is set.
    static std::string DefaultPath();

    std::vector<std::string> Entries(const std::string& name) const override;
    // Adds text as the newest entry of the list: an equal older entry moves to the end instead of
    // staying twice; a text of blanks only, or longer than a field holds, is not kept.
    void Add(const std::string& name, const std::string& text) override;

    const std::string& Path() const { return path_; }
    // Why the last write failed, or "" when it succeeded.
    const std::string& LastError() const { return last_error_; }

private:
    // Add's work once the text is one to keep; throws (a history error) with the reason.
    void Write(const std::string& name, const std::string& text);

    std::string path_;
    std::size_t cap_;
    std::string last_error_;
    std::chrono::milliseconds lock_wait_ = kDefaultLockWait;
    std::function<void()> waiting_;
};

} // namespace numo::console
