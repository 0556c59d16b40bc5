// Entry point of the Linux program: the shell has already split the arguments.
#include <cstdio>
#include <string>
#include <vector>

#include "job/information.h"
#include "job/startup.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  // Asked about itself, the program answers and starts nothing.
  if (const auto text = qb::informationAsked(arguments)) {
    std::fputs(text->c_str(), stdout);
    return 0;
  }
  return qb::startProcess(arguments);
}
