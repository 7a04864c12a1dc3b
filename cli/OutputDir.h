// The output folder of a command. Results are written into a staging
// folder inside it and renamed into place only when the whole command has
// succeeded, so a failed or interrupted command leaves the folder as it
// was (a folder the command had to create is removed again); so does one
// ended by SIGINT, SIGTERM or SIGHUP.
#pragma once

#include <string>
#include <vector>

class OutputDir {
 public:
  ~OutputDir();  // abandons what was not committed

  // Creates the folder (and its parents) when missing and the staging
  // folder inside it. False, with `error` set, when that is not possible.
  bool Open(const std::string& dir, std::string* error);
  // Where to write `name` now (inside the staging folder); remembered for
  // Commit.
  std::string Stage(const std::string& name);
  // The final path of `name`.
  std::string Final(const std::string& name) const;
  // Renames every staged file into the folder, in the order staged.
  bool Commit(std::string* error);
  // Removes the staged files, the staging folder and a folder Open made.
  void Abandon();

  const std::string& dir() const { return dir_; }

 private:
  std::string dir_, staging_;
  std::vector<std::string> created_;  // folders Open made, innermost last
  std::vector<std::string> names_;
  bool open_ = false;
};

// Checks, without creating anything, that `dir` exists and is writable or
// could be created; false with `error` set otherwise.
bool OutputDirUsable(const std::string& dir, std::string* error);
