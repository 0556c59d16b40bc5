#pragma once
// The class registry: object classes are numbered from 1 in the order they are first created.

#include <string>

namespace qb {

// Registers a class name once and returns its handle.
int registerClass(const std::string& name);
// The class name of a handle, "" for a handle past the last.
std::string className(int handle);

}  // namespace qb
