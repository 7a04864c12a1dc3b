#include "OutputDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// What an interrupted command must remove: the staged files, the staging
// folder and the folders it created, innermost last, as fixed buffers so
// that the signal handler needs no allocation.
constexpr int kMaxCleanup = 32;
char gCleanup[kMaxCleanup][4096];
volatile sig_atomic_t gFiles = 0, gFolders = 0;  // files first, then folders from the end
int gFolderAt[kMaxCleanup];

void Register(const std::string& path, bool folder) {
  const int used = gFiles + gFolders;
  if (used >= kMaxCleanup || path.size() >= sizeof gCleanup[0]) return;
  const int slot = folder ? kMaxCleanup - 1 - gFolders : gFiles;
  std::memcpy(gCleanup[slot], path.c_str(), path.size() + 1);
  if (folder) {
    gFolderAt[gFolders] = slot;
    gFolders = gFolders + 1;
  } else {
    gFiles = gFiles + 1;
  }
}

void Unregister() { gFiles = gFolders = 0; }

extern "C" void RemoveStaged(int signal) {
  for (int i = 0; i < gFiles; i++) unlink(gCleanup[i]);
  for (int i = gFolders - 1; i >= 0; i--) rmdir(gCleanup[gFolderAt[i]]);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void CatchInterrupts() {
  for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, RemoveStaged);
}

bool IsDir(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0;
}

std::string Parent(const std::string& p) {
  std::string s = p;
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  const size_t slash = s.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return s.substr(0, slash);
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty() || dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

}  // namespace

bool OutputDirUsable(const std::string& dir, std::string* error) {
  std::string d = dir.empty() ? "." : dir;
  // The nearest folder that exists must let us write.
  while (!Exists(d)) d = Parent(d);
  if (!IsDir(d)) {
    *error = d + ": is not a folder";
    return false;
  }
  if (access(d.c_str(), W_OK | X_OK) != 0) {
    *error = d + ": the output folder is not writable (" + std::strerror(errno) + ")";
    return false;
  }
  return true;
}

OutputDir::~OutputDir() { Abandon(); }

bool OutputDir::Open(const std::string& dir, std::string* error) {
  dir_ = dir.empty() ? "." : dir;
  if (!OutputDirUsable(dir_, error)) return false;
  // Make the missing folders from the outside in.
  std::vector<std::string> missing;
  for (std::string d = dir_; !Exists(d); d = Parent(d)) missing.push_back(d);
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (mkdir(it->c_str(), 0777) != 0 && errno != EEXIST) {
      *error = *it + ": cannot create the output folder (" + std::strerror(errno) + ")";
      Abandon();
      return false;
    }
    created_.push_back(*it);
    Register(*it, true);
  }
  staging_ = Join(dir_, ".workbench-cli." + std::to_string(getpid()));
  if (mkdir(staging_.c_str(), 0777) != 0) {
    *error = dir_ + ": cannot write into the output folder (" + std::strerror(errno) + ")";
    staging_.clear();
    Abandon();
    return false;
  }
  Register(staging_, true);
  CatchInterrupts();
  open_ = true;
  return true;
}

std::string OutputDir::Stage(const std::string& name) {
  names_.push_back(name);
  Register(Join(staging_, name), false);
  return Join(staging_, name);
}

std::string OutputDir::Final(const std::string& name) const { return Join(dir_, name); }

bool OutputDir::Commit(std::string* error) {
  for (const std::string& name : names_) {
    const std::string from = Join(staging_, name);
    if (!Exists(from)) {
      *error = Final(name) + ": was not written";
      Abandon();
      return false;
    }
  }
  for (const std::string& name : names_) {
    if (std::rename(Join(staging_, name).c_str(), Final(name).c_str()) != 0) {
      *error = Final(name) + ": cannot be written (" + std::strerror(errno) + ")";
      Abandon();
      return false;
    }
  }
  Unregister();
  names_.clear();
  rmdir(staging_.c_str());
  staging_.clear();
  created_.clear();  // they hold the results now
  open_ = false;
  return true;
}

void OutputDir::Abandon() {
  Unregister();
  if (!staging_.empty()) {
    for (const std::string& name : names_) std::remove(Join(staging_, name).c_str());
    // Anything else a library put there.
    rmdir(staging_.c_str());
    staging_.clear();
  }
  names_.clear();
  for (auto it = created_.rbegin(); it != created_.rend(); ++it) rmdir(it->c_str());
  created_.clear();
  open_ = false;
}
