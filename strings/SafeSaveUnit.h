// Saving a file so that neither a failure nor an interruption damages the
// file it replaces or leaves anything behind.
//
// The content goes to a hidden temporary file beside the target, which is
// renamed over the target only once everything is on disk. A failed save
// removes its temporary file; so do SIGINT, SIGTERM and SIGHUP once
// RemoveTemporaryFilesOnSignals() has been called; a temporary file left by
// a program that was killed outright is removed by the next save of the
// same target.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

namespace velt {

// Writes `target` with the content `write` puts on the stream, keeping the
// mode of the file it replaces (a new file gets the usual mode). `write`
// may throw: the save then fails with its message, unless the stream
// failed first. Returns an empty text on success, otherwise what went
// wrong: "cannot write <what><target>: <the system's reason>", naming the
// target, never the temporary file. `what` is put before the target's
// name, e.g. "the report file ".
std::string SaveFileSafely(const std::filesystem::path& target,
                           const std::function<void(std::ostream&)>& write,
                           const std::string& what = {});

// The start of the name of every temporary file of a target with this
// file name; mkstemp's six characters complete it. ".NAME." as a rule; a
// name too long for that gets a shortened start and a hash of the whole
// name, so the temporary name stays within the file system's limit.
std::string TemporaryNamePrefix(const std::string& targetName);

// SIGINT, SIGTERM and SIGHUP (where they have their default action) remove
// the temporary file of a save in progress, then end the program as the
// signal would have. SIGXFSZ (at its default action) is ignored, so that
// a file size limit fails the save with a message instead of killing the
// program halfway through it.
void RemoveTemporaryFilesOnSignals();

}  // namespace velt
