#include "commands/recovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "commands/calculation_files.h"
#include "commands/menus.h"
#include "dialogs/dialogs.h"
#include "files/file_utilities.h"
#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "screen/window.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "sheet/grid_display.h"

namespace {

using Clock = std::chrono::steady_clock;

// The first line of a copy; the Calculation reader skips it, so the copy
// opens as a Calculation file too.
constexpr const char* OriginMark = "Tabrona-Wiederherstellung:";

// One thing for the writer to do: write the text to path, or remove path.
struct Job {
    String Path;
    std::optional<String> Text;
};

// The writer's inbox: only the newest job counts, as each copy replaces
// the one before.
struct WriterQueue {
    std::mutex Mutex;
    std::condition_variable Wake;
    std::condition_variable Idle;
    std::optional<Job> Pending;
    bool Busy = false;
    bool Started = false;
};
// The writer thread keeps using it to the end of the process.
ProgramState<WriterQueue> writer(KeptThroughResets);

// What the program thread knows of the copy.
struct RecoveryState {
    bool LookedUp = false;
    String Path;
    // Held locked while this program runs: a copy whose lock nobody holds
    // belongs to a program that ended without removing it.
    int LockFile = -1;
    bool Changed = false;
    bool CopyExists = false;
    String LastText;
    Clock::time_point LastCopy{};
};
// A reset gives up the lock with the rest.
void ResetRecovery(RecoveryState& s) {
    if (s.LockFile >= 0) close(s.LockFile);
    s = RecoveryState{};
}
ProgramState<RecoveryState> state(ResetRecovery, FlushRecoveryWriter);

constexpr const char* CopyPrefix = "Wiederherstellung-";
constexpr const char* LegacyCopyName = "Wiederherstellung.calc";

String LockPathOf(const String& copy) { return copy.substr(0, copy.size() - 5) + ".lock"; }

// Locks the file without waiting; its descriptor, or -1 when another
// program holds it (or it cannot be made).
int TryLock(const String& path) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
    close(fd);
    return -1;
}

// Gives a lock up and removes its file.
void Unlock(const String& path, int fd) {
    if (fd < 0) return;
    unlink(path.c_str());
    close(fd);
}

// The folder for copies, only the user's: made when missing, closed to
// others when it was not.
void PrepareFolder(const String& folder) {
    if (filekind(folder) != KindFolder) createdirectory(folder);
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0 && info.st_uid == geteuid() && (info.st_mode & 0777) != 0700)
        chmod(folder.c_str(), 0700);
}

// This program's copy, named by its process and held by its lock.
const String& CopyPath() {
    RecoveryState& s = *state;
    if (!s.LookedUp) {
        s.LookedUp = true;
        const std::string folder = CurrentPlatform().RecoveryFolder();
        if (folder.empty()) return s.Path;
        s.Path = folder + CopyPrefix + std::to_string(getpid()) + ".calc";
        PrepareFolder(folder);
        s.LockFile = TryLock(LockPathOf(s.Path));
        if (s.LockFile < 0) LogLine("Wiederherstellung: " + LockPathOf(s.Path) + " cannot be locked.");
    }
    return s.Path;
}

void Perform(const Job& job) {
    if (!job.Text) {
        deletefile(job.Path);
        return;
    }
    // Unsaved work is nobody else's business.
    PrepareFolder(folderofpath(job.Path));
    setstringtofile(*job.Text, job.Path, 0600);
}

void WriterLoop() {
    CurrentPlatform().SetCurrentThreadName("TabronaRecovery");
    WriterQueue& q = *writer;
    std::unique_lock lock(q.Mutex);
    for (;;) {
        q.Wake.wait(lock, [&] { return q.Pending.has_value(); });
        const Job job = std::move(*q.Pending);
        q.Pending.reset();
        q.Busy = true;
        lock.unlock();
        Perform(job);
        lock.lock();
        q.Busy = false;
        q.Idle.notify_all();
    }
}

void Post(Job job) {
    WriterQueue& q = *writer;
    std::lock_guard lock(q.Mutex);
    q.Pending = std::move(job);
    if (!q.Started) q.Started = CurrentPlatform().StartThread(0, WriterLoop);
    if (q.Started) {
        q.Wake.notify_one();
    } else {
        LogLine("Wiederherstellung: the writer thread could not be started.");
        q.Pending.reset();
    }
}

// The file the Calculation belongs to; a path that would break the line
// is left out, and the copy then restores without a name.
String OriginLine() {
    const CalculationState& c = Calculation();
    const String origin = c.CalcFileName.empty() ? String() : c.CalcFolder + c.CalcFileName;
    const bool breaks = origin.find_first_of("\r\n") != String::npos;
    return OriginMark + (breaks ? String() : origin) + "\r";
}

String OriginOf(const String& copy) {
    const String mark = OriginMark;
    if (copy.compare(0, mark.size(), mark) != 0) return {};
    return copy.substr(mark.size(), copy.find('\r') - mark.size());
}

// True when the file was written after the copy: the copy is then stale.
bool SavedSince(const String& file, const String& copy) {
    std::error_code fileError, copyError;
    const auto saved = std::filesystem::last_write_time(file, fileError);
    const auto copied = std::filesystem::last_write_time(copy, copyError);
    return !fileError && !copyError && saved >= copied;
}

// Keeps a copy the user did not restore where it can still be opened,
// beside the ones set aside before.
void SetAside(const String& path) {
    String aside = DeclinedCopyPath();
    for (int n = 2; filekind(aside) != KindNothing && n < 1000; ++n)
        aside = folderofpath(aside) + "Wiederherstellung-abgelehnt-" + std::to_string(n) + ".calc";
    std::error_code error;
    std::filesystem::rename(path, aside, error);
    if (error) LogLine("Wiederherstellung: Error #" + FileErrorDescription(error.value(), path));
}

void Restore(const String& text, const String& origin) {
    ClearCalculation();
    CalculationFromText(text);
    CalculationState& c = Calculation();
    c.CalcFileName = nameofpath(origin);
    c.CalcFolder = folderofpath(origin);
    c.Modified = true;
    RecalculateAll();
    if (!origin.empty()) t_WindowTitle(SheetWindow, c.CalcFileName);
    RecoveryState& s = *state;
    s.CopyExists = true;
    s.LastText = text;
}

// A copy left by a program that no longer runs, with the lock that keeps
// other starting programs from offering it too.
struct Orphan {
    String Path;
    int Lock = -1;
    std::filesystem::file_time_type Time;
};

// The process a copy's name gives; 0 for the name of older versions, -1
// for a name that is no copy's.
long CopyProcess(const std::string& name) {
    if (name == LegacyCopyName) return 0;
    const std::string prefix = CopyPrefix;
    if (name.size() <= prefix.size() + 5 || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - 5, 5, ".calc") != 0)
        return -1;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 5);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) return -1;
    return std::stol(digits);
}

// Every copy whose program has ended, the newest first. A copy named by
// this program's own number was left by an earlier program of that number.
std::vector<Orphan> OrphanedCopies(const String& folder) {
    std::vector<Orphan> orphans;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const String path = entry.path().string();
        const long process = CopyProcess(entry.path().filename().string());
        if (process < 0 || !entry.is_regular_file(error)) continue;
        const bool own = process == getpid();
        const int lock = own || process == 0 ? -1 : TryLock(LockPathOf(path));
        if (!own && process != 0 && lock < 0) continue;  // its program still runs
        orphans.push_back({path, lock, entry.last_write_time(error)});
    }
    std::sort(orphans.begin(), orphans.end(), [](const Orphan& a, const Orphan& b) { return a.Time > b.Time; });
    return orphans;
}

// Offers one orphaned copy; true when it was restored, and is then this
// program's own copy.
bool Offer(const Orphan& orphan) {
    const String text = getstringfromfile(orphan.Path);
    const int error = LastFileError();
    if (error != 0) {
        // Kept aside for the user, who is told why it cannot be offered.
        SetAside(orphan.Path);
        TellUser("Calculation wiederherstellen", "Die Kopie ungesicherter Änderungen ist unlesbar:",
                 FileErrorText(error));
        RedrawAfterDialog();
        return false;
    }
    const String origin = OriginOf(text);
    if (text.empty() || (!origin.empty() && SavedSince(origin, orphan.Path))) {
        SetAside(orphan.Path);
        return false;
    }
    const Int answer =
        t_AskYesNo(SheetWindow, "Calculation wiederherstellen", "Ungesicherte Änderungen wiederherstellen?",
                   origin.empty() ? String("(Calculation ohne Namen)") : nameofpath(origin));
    if (answer != 1) {
        SetAside(orphan.Path);
        return false;
    }
    Restore(text, origin);
    // Adopted: this program's copy from now on, so that it is never lost.
    std::error_code moved;
    if (orphan.Path != CopyPath()) std::filesystem::rename(orphan.Path, CopyPath(), moved);
    if (moved) LogLine("Wiederherstellung: Error #" + FileErrorDescription(moved.value(), orphan.Path));
    return true;
}

}  // namespace

String RecoveryCopyPath() { return CopyPath(); }

String DeclinedCopyPath() {
    const String& path = CopyPath();
    return path.empty() ? String() : folderofpath(path) + "Wiederherstellung-abgelehnt.calc";
}

void NoteRecoveryChange() { state->Changed = true; }

bool RecoveryDue() {
    const RecoveryState& s = *state;
    if (!s.Changed || CopyPath().empty()) return false;
    if (!Calculation().Modified) return s.CopyExists;
    return Clock::now() - s.LastCopy >= RecoveryInterval;
}

void UpdateRecoveryCopy() {
    RecoveryState& s = *state;
    s.Changed = false;
    const String& path = CopyPath();
    if (path.empty()) return;
    if (!Calculation().Modified) {
        if (s.CopyExists) Post({path, std::nullopt});
        s.CopyExists = false;
        s.LastText.clear();
        return;
    }
    String text = OriginLine() + CalculationFileText(CalculationToText());
    if (s.CopyExists && text == s.LastText) return;
    s.LastCopy = Clock::now();
    s.CopyExists = true;
    s.LastText = text;
    Post({path, std::move(text)});
}

bool OfferRecovery() {
    const String& path = CopyPath();
    if (path.empty()) return false;
    bool restored = false;
    // Each copy is offered in turn until one is restored; the others wait
    // for the next start.
    for (const Orphan& orphan : OrphanedCopies(folderofpath(path))) {
        if (!restored) restored = Offer(orphan);
        Unlock(LockPathOf(orphan.Path), orphan.Lock);
    }
    return restored;
}

void RemoveRecoveryCopy() {
    RecoveryState& s = *state;
    const String& path = CopyPath();
    if (!path.empty() && (s.CopyExists || filekind(path) == KindFile)) Post({path, std::nullopt});
    s.CopyExists = false;
    s.LastText.clear();
    FlushRecoveryWriter();
    if (!path.empty()) Unlock(LockPathOf(path), s.LockFile);
    s.LockFile = -1;
}

void FlushRecoveryWriter() {
    WriterQueue& q = *writer;
    std::unique_lock lock(q.Mutex);
    q.Idle.wait(lock, [&] { return !q.Pending && !q.Busy; });
}
