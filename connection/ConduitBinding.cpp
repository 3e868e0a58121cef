#include <connection/ConduitBinding.h>

#include <dlfcn.h>

#include <array>
#include <cstring>

#include <filesystem>
#include <system_error>

namespace velt {
namespace {

template <typename TFunction>
bool Bind(void* library, const char* name, TFunction& function) {
  function = reinterpret_cast<TFunction>(dlsym(library, name));
  return function != nullptr;
}

}  // namespace

TConduitBinding::TConduitBinding(const TConduitEntryPoints& entryPoints)
    : EntryPoints(entryPoints), Bound(true), From("(bound in-process)") {}

std::vector<std::string> TConduitBinding::DefaultCandidates() {
  std::vector<std::string> candidates;
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    candidates.push_back((exe.parent_path() / kConduitFileName).string());
  }
  candidates.emplace_back(kConduitFileName);
  return candidates;
}

bool TConduitBinding::Load() {
  if (Bound) {
    return true;
  }
  for (const std::string& candidate : Candidates) {
    // A path with a folder is tried only when the file is there, so the
    // bare name goes to the system's default search.
    std::error_code ec;
    if (candidate.find('/') != std::string::npos && !std::filesystem::exists(candidate, ec)) {
      continue;
    }
    void* library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
      continue;
    }
    TConduitEntryPoints found;
    const bool complete = Bind(library, "InitUSB", found.InitUSB) &&
                          Bind(library, "CloseUSB", found.CloseUSB) &&
                          Bind(library, "CheckServiceBuffer", found.CheckServiceBuffer) &&
                          Bind(library, "SendServiceBuffer", found.SendServiceBuffer) &&
                          Bind(library, "CheckBulkBuffer", found.CheckBulkBuffer) &&
                          Bind(library, "SendBulkBuffer", found.SendBulkBuffer) &&
                          Bind(library, "USBStatus", found.USBStatus);
    if (!complete) {
      dlclose(library);
      continue;
    }
    // Older libraries lack it; the program then says less, nothing more.
    Bind(library, "USBStateDescription", found.USBStateDescription);
    // Never unloaded while the program runs.
    EntryPoints = found;
    Bound = true;
    ++Loads;
    From = candidate;
    return true;
  }
  return false;
}

TLinkState TConduitBinding::LinkState() const {
  TLinkState state;
  if (!Bound || EntryPoints.USBStateDescription == nullptr) {
    return state;
  }
  std::array<char, 512> line{};
  state.Kind = EntryPoints.USBStateDescription(line.data(), line.size());
  if (state.Kind > kLinkStateSimulated) {
    state.Kind = kLinkStateUnknown;  // a library newer than this program
  }
  state.Text = std::string(line.data(), ::strnlen(line.data(), line.size()));
  return state;
}

}  // namespace velt
