// Entry point of the Linux program: the shell has already split the arguments.
#include <string>
#include <vector>

#include "job/startup.h"

int main(int argc, char** argv) {
  return qb::startProcess(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
}
