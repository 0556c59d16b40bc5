#pragma once
// The shared-access failure flag that table operations report.

namespace qb {

bool NETERR();
void NETERR(bool failed);

}  // namespace qb
