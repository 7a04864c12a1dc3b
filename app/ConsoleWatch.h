// What a scripted run watches while one of its lines runs: the console
// lines the operations print, for the first that reports a refusal or an
// error, so that a script stops there instead of running on.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

// A refusal names its button in double quotes at the start of the line
// ("\"Play\": refused: ..."), or asks for step bounds again ("Step bounds
// must be ..."); an error starts with "ERROR" or "[ERROR]", or is one of
// the image writer's failures ("Could not open file for writing", "Could
// not write image data to ...", "Failed to write in the File"). Text before
// the line's last carriage return (a progress line it overwrites) is not
// part of it.
bool IsFailureLine(const std::string& line);

// While it lives, everything written to the given streams still reaches
// them, and the first failure line among them is kept. Streams named twice
// are watched once.
class ConsoleWatch {
 public:
  explicit ConsoleWatch(const std::vector<std::ostream*>& streams);
  ~ConsoleWatch();
  ConsoleWatch(const ConsoleWatch&) = delete;
  ConsoleWatch& operator=(const ConsoleWatch&) = delete;

  // The first failure line so far (without its line end); empty when none.
  const std::string& Failure() const { return failure_; }

 private:
  class Tap;
  std::string failure_;
  std::vector<std::unique_ptr<Tap>> taps_;
};
