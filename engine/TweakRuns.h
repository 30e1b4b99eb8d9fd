// The registry work of the optimise and restore runs over the tweak catalogue.
//
// The two runs, as the main window makes them (and the tests and the command
// line with no progress to show):
//
//   RunOptimise:  StoreRunChoices, the progress steps, TakeBackupIfNeeded,
//                 and WriteTweaks only when the backup is complete
//   RunRestore:   the progress steps, RestoreTweaks
//
// Every function swallows its own failures; the registry is reached only
// through the registry layer, always in the 32-bit view.
//
// No original value is ever lost, whenever a run ends:
// - "Restore" turns true only once the whole backup (the nine backup values
//   and the originals described below) has been written and read back. A run
//   that ends earlier leaves it as it was, and the next run backs up afresh.
// - The backup also keeps, in the Originals subkey of the settings key, the
//   exact type and bytes of every value that already existed at any of the 34
//   locations (whatever the run's conditions), and, in its Absent subkey, the
//   put-back locations (1-5, 17-20) that held nothing. The restore gives the
//   values back as they were instead of deleting them or writing the backup
//   values in their kind, and removes again what was absent; so a restore
//   leaves every location exactly as the first optimise found it.
// - The backup lists, in the Written subkey, every location an optimise wrote
//   since the backup, each noted before its first write. The restore of such
//   a backup gives back exactly those locations, whatever edition and
//   connection it runs with, and touches no other. A backup made by an
//   earlier version has no list; its restore follows its own inputs, as it
//   always did.
// - The restore keeps "Restore" true (numbers 2 and 3 below, which every
//   reader still takes as true) until its very last step, when it deletes it.
//   A restore that ended part-way is completed by the next restore, with the
//   result one uninterrupted restore gives; an optimise that finds it
//   unfinished completes it first, so that its fresh backup holds originals.
#pragma once

#include "core/Constants.h"
#include "engine/TweakCatalogue.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <string>

namespace vx {

// Where the backup keeps the values that existed at the 34 locations, one
// value per location, named by OriginalRecordName.
inline constexpr wchar_t kOriginalsKey[] = L"\\Software\\TOLVEN\\Velantrix\\Originals\\";
// Where the backup notes the put-back locations that held no value, one
// REG_DWORD 1 per location under the same name.
inline constexpr wchar_t kAbsentOriginalsKey[] = L"\\Software\\TOLVEN\\Velantrix\\Originals\\Absent\\";

// Where the backup lists the locations written since it was taken, one
// REG_DWORD 1 per location under its OriginalRecordName.
inline constexpr wchar_t kWrittenKey[] = L"\\Software\\TOLVEN\\Velantrix\\Originals\\Written\\";
// In kWrittenKey: 1 once the last optimise's tuned values all took, 0 while
// one writes (or when one did not take). Its presence marks a backup that
// lists its writes. Record names hold backslashes, so it meets none of them.
inline constexpr wchar_t kWritesCompleteValue[] = L"Complete";

// The numbers "Restore" holds. Readers take it as a boolean: every state but
// kNoBackup enables the restore.
enum RestoreState : std::int32_t {
    kNoBackup = 0,
    kBackupTaken = 1,       // the backup is complete; the optimise writes 1 (true)
    kRestoreUnderWay = 2,   // a restore began: a missing backup value was already put back
    kLocationsRestored = 3, // every location is back; only the originals and "Restore" remain
};

// A test seam: the number of registry changes after which a run stops, as if
// the process had ended there. The program always runs to the end.
inline constexpr int kNoStepLimit = INT_MAX;

// What a run shows between storing the choices and its registry work: the
// progress steps. Gives false when the run must end there, before any tuned
// value is touched (the window was asked to close). Empty: nothing to show.
using RunProgress = std::function<bool()>;

enum class RunOutcome {
    Stopped,       // the progress ended the run before its registry work
    Failed,        // the backup (optimise) or the restore could not be completed
    ValuesRefused, // optimise: the backup is complete, but a tuned value did not take
    Completed,     // the tuned values are written, or everything is back
};

struct OptimiseChoices {
    int versionCode = 0;
    int internetType = 0;
    int processorType = 0;
    int speedSetting = 0;
};

// The whole optimise run. The tuned values are written only over a complete
// backup of what they replace: a failed backup changes no tuned value. The
// step limit counts the registry changes of the backup and the writes together.
RunOutcome RunOptimise(const OptimiseChoices& choices, const RunProgress& progress = {},
                       int stepLimit = kNoStepLimit) noexcept;

// The whole restore run after its confirmation.
RunOutcome RunRestore(int versionCode, int internetType, const RunProgress& progress = {}) noexcept;

// True while a backup exists, so that a restore is possible.
bool RestoreAvailable() noexcept;

// Stores the user's choices (InternetType, ProcessorType, SpeedSetting).
// "Restore" is left alone.
void StoreRunChoices(int internetType, int processorType, int speedSetting) noexcept;

// Takes the backup when none exists: entries 1-5 and 17-20 into the settings
// key (the backup defaults standing in for values that cannot be read), the
// originals of the 34 locations, then "Restore" := true. With a backup in
// place it changes nothing; after an unfinished restore it first completes
// that restore with these inputs. Gives true when a complete backup exists
// afterwards and the step limit was not reached.
bool TakeBackupIfNeeded(int versionCode, int internetType, int stepLimit = kNoStepLimit) noexcept;

// Writes the tuned value of every entry whose condition holds, each location
// noted in the backup's list before its first write (a location that cannot
// be noted is not written). Gives true when every value took and the step
// limit was not reached; a refused write does not stop the others.
bool WriteTweaks(int versionCode, int internetType, int speedSetting, int stepLimit = kNoStepLimit) noexcept;

// Puts entries 1-5 and 17-20 back as they were (or from their backup values
// or defaults, for a backup without originals),
// removes the backup values group by group, deletes (or gives back the
// original of) every other entry, removes the originals, and deletes
// "Restore" last. The entries are the ones the backup lists as written; for a
// backup without that list, those whose condition holds with these inputs. Gives true when it ran to the end.
// A location that does not take its value back (a refused write) stops the
// run there, with "Restore", the backup values and the originals kept, so
// that a later restore can finish; it then gives false.
bool RestoreTweaks(int versionCode, int internetType, int stepLimit = kNoStepLimit) noexcept;

// What the report mode tells about the machine.
enum class TuningState {
    NeverTuned, // no backup, and no optimise ever stored its choices here
    Restored,   // no backup: the tuning was given back (or a run stopped before its backup)
    InPlace,    // a backup exists and every value the optimise wrote still holds its tuned value
    Changed,    // a backup exists, but a tuned value has changed since, or a run stopped part-way
};

// Reads, changing nothing. For a backup without the list of written
// locations, the entries whose condition holds with these inputs count.
TuningState ReadTuningState(int versionCode, int internetType) noexcept;

// The name under kOriginalsKey that keeps an entry's original value: the root
// ("HKLM" or "HKCU"), the key path without its outer backslashes, then two
// backslashes and the value name. Key names cannot hold a backslash, so the
// first double backslash always marks where the value name begins.
std::wstring OriginalRecordName(const TweakEntry& entry);

} // namespace vx
