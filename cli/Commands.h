// The subcommands of workbench-cli. Each adds itself to the parser; when it
// is chosen, its callback leaves in `action` the run to perform, which
// returns the exit status.
#pragma once

#include <functional>

namespace CLI {
class App;
}

using CommandAdder = void (*)(CLI::App& app, std::function<int()>* action, int argc, char** argv);

void AddIntervalCommand(CLI::App& app, std::function<int()>* action, int argc, char** argv);
void AddAslCommand(CLI::App& app, std::function<int()>* action, int argc, char** argv);
void AddRaycastCommand(CLI::App& app, std::function<int()>* action, int argc, char** argv);
void AddCompareCommand(CLI::App& app, std::function<int()>* action, int argc, char** argv);
void AddImageCommand(CLI::App& app, std::function<int()>* action, int argc, char** argv);
void AddShowCommand(CLI::App& app, std::function<int()>* action, int argc, char** argv);
