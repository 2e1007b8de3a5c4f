#include "commands/recovery.h"

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

#include "files/file_utilities.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "platform/program_state.h"
#include "runtime/dialogs.h"
#include "runtime/window.h"
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
ProgramState<WriterQueue> writer(nullptr);

// What the program thread knows of the copy.
struct RecoveryState {
    bool LookedUp = false;
    String Path;
    bool Changed = false;
    bool CopyExists = false;
    String LastText;
    Clock::time_point LastCopy{};
};
ProgramState<RecoveryState> state(FreshValue<RecoveryState>, FlushRecoveryWriter);

const String& CopyPath() {
    RecoveryState& s = *state;
    if (!s.LookedUp) {
        const std::string folder = CurrentPlatform().RecoveryFolder();
        s.Path = folder.empty() ? String() : folder + "Wiederherstellung.calc";
        s.LookedUp = true;
    }
    return s.Path;
}

void Perform(const Job& job) {
    if (!job.Text) {
        deletefile(job.Path);
        return;
    }
    const String folder = folderofpath(job.Path);
    if (filekind(folder) != KindFolder && createdirectory(folder) == 0) {
        // Unsaved work is nobody else's business.
        std::error_code ignored;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ignored);
    }
    setstringtofile(*job.Text, job.Path);
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

// Keeps a copy the user did not restore where it can still be opened.
void SetAside(const String& path) {
    std::error_code error;
    std::filesystem::rename(path, DeclinedCopyPath(), error);
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
    if (path.empty() || filekind(path) != KindFile) return false;
    const String text = getstringfromfile(path);
    const String origin = OriginOf(text);
    if (text.empty() || (!origin.empty() && SavedSince(origin, path))) {
        SetAside(path);
        return false;
    }
    const Int answer =
        t_AskYesNo(SheetWindow, "Calculation wiederherstellen", "Ungesicherte Änderungen wiederherstellen?",
                   origin.empty() ? String("(Calculation ohne Namen)") : nameofpath(origin));
    if (answer != 1) {
        SetAside(path);
        return false;
    }
    Restore(text, origin);
    return true;
}

void RemoveRecoveryCopy() {
    RecoveryState& s = *state;
    const String& path = CopyPath();
    if (!path.empty() && (s.CopyExists || filekind(path) == KindFile)) Post({path, std::nullopt});
    s.CopyExists = false;
    s.LastText.clear();
    FlushRecoveryWriter();
}

void FlushRecoveryWriter() {
    WriterQueue& q = *writer;
    std::unique_lock lock(q.Mutex);
    q.Idle.wait(lock, [&] { return !q.Pending && !q.Busy; });
}
