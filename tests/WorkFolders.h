// Folders of the working directory that a test writes into, made in its
// scratch directory with every missing parent.
#pragma once

#include <sys/stat.h>

#include <initializer_list>
#include <string>

#include "WorkLayout.h"

inline void MakeFolder(const std::string& path) {
  for (size_t i = 1; i <= path.size(); i++)
    if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
}

inline void MakeFolders(std::initializer_list<std::string> paths) {
  for (const std::string& p : paths) MakeFolder(p);
}

// The folder part of a file's path.
inline std::string FolderOf(const std::string& file) {
  return file.substr(0, file.find_last_of('/') + 1);
}
