#pragma once
// Error level and the orderly quit. QUIT unwinds the stack to the entry point, which alone
// catches QuitRequest, so destructors close whatever is open on the way out.

namespace qb {

struct QuitRequest {};

int ERRORLEVEL();
void ERRORLEVEL(int level);
[[noreturn]] void QUIT();

}  // namespace qb
