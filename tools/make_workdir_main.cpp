// make-workdir [--large] [dir]: writes the sample working directory (default
// "work/"); --large adds the measurement scene of about 1,000,000 triangles.
#include <cstring>
#include <iostream>

#include "Workdir.h"

#ifndef WB_CG_SOURCE_DIR
#define WB_CG_SOURCE_DIR "CG"
#endif

int main(int argc, char** argv) {
  WorkdirOptions options;
  options.cgSource = WB_CG_SOURCE_DIR;
  std::string dir = "work/";
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--large") == 0) {
      options.large = true;
    } else if (argv[i][0] == '-') {
      std::cerr << "usage: make-workdir [--large] [dir]" << std::endl;
      return 2;
    } else {
      dir = argv[i];
    }
  }
  std::cout << "Writing the sample working directory into " << dir << std::endl;
  if (!MakeWorkdir(dir, options)) {
    std::cerr << "make-workdir: some files could not be written" << std::endl;
    return 1;
  }
  std::cout << "Done." << std::endl;
  return 0;
}
