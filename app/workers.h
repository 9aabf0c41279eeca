#pragma once

// The workers the controller hands slow work to, so that the window's thread
// only shows what they made. The window owns one of each, each with a thread
// of its own; the controller tests attach plain fakes or none (the work then
// runs at once).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/patchCheckCache.h"
#include "app/patchList.h"
#include "library/installation.h"

namespace workers {

// What runs on the main thread once a library write is done.
using MainThreadStep = std::function<void()>;
// A library write (a delete, an undo): it runs off the main thread and
// returns what the main thread does with its outcome.
using LibraryWrite = std::function<MainThreadStep()>;
// An install: a library write that whoever runs it may follow and cancel
// through the watcher it passes (null when nobody follows it).
using LibraryInstall = std::function<MainThreadStep(InstallWatcher* watcher)>;
// An export of patches to an archive: it reads the library, in turn with its
// writes so that it never meets a patch half replaced, and whoever runs it
// may follow and cancel it through the watcher it passes (null when nobody
// follows it).
using LibraryExport = std::function<MainThreadStep(InstallWatcher* watcher)>;

// Asked on the main thread when no trash can take the earlier copy of patch
// `name` (`why`): whether to delete it for good. `answer` is told once, true
// to replace; it may be told later, after the user chose.
using ReplaceQuestion = std::function<void(const std::string& name, const TrashResult& why,
                                           std::function<void(bool replace)> answer)>;

// Does the library's writes one at a time, in the order they are asked for,
// off the main thread, so the window keeps responding during a long install.
class LibraryWorker {
public:
    virtual ~LibraryWorker() = default;
    // Run each in its turn, then the step it returns on the main thread. An
    // install's watcher asks `ask` and waits for its answer; a worker that
    // stops meanwhile answers false itself.
    virtual void install(LibraryInstall install, ReplaceQuestion ask) = 0;
    // `title` names the write while it waits for its turn ("Delete “Echo”").
    virtual void write(LibraryWrite write, std::string title) = 0;
    virtual void exportArchive(LibraryExport work) = 0;
};

// A read of a patch: it runs off the main thread and returns what the main
// thread does with what it read.
using PatchRead = std::function<MainThreadStep()>;

// Reads patches (the parameters they declare) off the main thread, on a thread
// of its own, so the window waits neither for a huge file nor for the
// library's writes.
class PatchReader {
public:
    virtual ~PatchReader() = default;
    // Runs the read in its turn, then the step it returns on the main thread.
    virtual void read(PatchRead read) = 0;
};

// Lists type folders off the main thread, one at a time.
class PatchLister {
public:
    virtual ~PatchLister() = default;
    // Makes the list of the type folder in its turn and hands it to `show`
    // on the main thread, told `sequence`. A request still waiting when a
    // later one comes is dropped: the later one lists the folder as it is then.
    virtual void list(const char* typeDir, std::uint64_t sequence,
                      std::function<void(PatchList)> show) = 0;
};

// Runs the patch check off the main thread, on a thread of its own, keeping
// its results between checks (see PatchCheckCache), so the window neither
// waits for a check of the whole library nor repeats one for what did not
// change. Without one attached the controller checks nothing, and marks and
// says nothing about findings. `show` may take the findings it is handed or
// swap them for those they replace: what it leaves is the checker's to free.
class PatchChecker {
public:
    using Show = std::function<void(PatchFindings&)>;

    virtual ~PatchChecker() = default;
    // Checks every patch of the library in its turn and hands the findings
    // to `show` on the main thread. A request still waiting when a later one
    // comes is dropped: the later one checks the library as it is then.
    virtual void checkLibrary(Show show) = 0;
    // Checks the patch folders in their turn, never dropped, and hands their
    // findings to `show` on the main thread.
    virtual void checkPatches(std::vector<std::string> folders, Show show) = 0;
};

}  // namespace workers
