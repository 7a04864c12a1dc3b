// workbench-cli: the visibility methods of the workbench on one's own mesh
// files, without a display. One process per command; results go into an
// output folder with a summary.json.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <functional>

#include "CommandSupport.h"
#include "Commands.h"

int main(int argc, char** argv) {
  CLI::App app{
      "workbench-cli: which triangles of a moving mesh a camera sees, by the workbench's\n"
      "interval method, by ASL and by the references, and where they differ."};
  app.set_version_flag("--version", std::string("workbench-cli ") + ProgramVersion());
  app.require_subcommand(1);
  std::function<int()> action;
  for (CommandAdder add : {AddIntervalCommand, AddAslCommand, AddRaycastCommand,
                           AddCompareCommand, AddImageCommand, AddShowCommand})
    add(app, &action, argc, argv);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version exit 0; a bad command line is refused like any input.
    const int status = app.exit(e);
    return status == 0 ? 0 : kExitRefused;
  }
  return action ? action() : kExitRefused;
}
