#pragma once

#include <QString>

// What loading a store found. A damaged store is repaired in memory; its original bytes are kept
// aside before the repaired store is written over them. A store that could not be read is not
// ours to write: it is left exactly as it is.
struct StoreLoadResult {
    enum class Outcome {
        Loaded,    // read as it stood
        Missing,   // no file: a default store was made (profiles) or the list stays empty (macros)
        Repaired,  // damaged: every usable record was kept, see problem
        Unreadable,  // there but out of reach (see problem): the lists hold what a missing store
                     // would give, only in memory, and nothing was written
    };
    Outcome outcome = Outcome::Loaded;
    QString problem;        // what was wrong with the file, for the log and karvoctl
    QString keptAsidePath;  // where the original bytes were kept
    bool saved = true;      // false when a created or repaired store could not be written, and
                            // for an unreadable one
};
