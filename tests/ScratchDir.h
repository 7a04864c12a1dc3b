// A scratch working directory for one test: created under /tmp, entered,
// and removed with everything in it afterwards.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

class ScratchDir {
 public:
  ScratchDir() {
    char tmpl[] = "/tmp/wbtestXXXXXX";
    if (mkdtemp(tmpl) != nullptr) path_ = tmpl;
    if (getcwd(old_, sizeof old_) == nullptr) old_[0] = '\0';
    if (!path_.empty() && chdir(path_.c_str()) != 0) path_.clear();
  }
  ~ScratchDir() {
    if (old_[0] != '\0' && chdir(old_) != 0) return;
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  char old_[4096] = {};
};
