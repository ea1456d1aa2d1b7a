// Turns every received array definition into one definition per element.
#pragma once

namespace vek {

// For each definition with an IntCode other than 0 and a count N above 0:
// the definition becomes element (0) and N copies follow it with the numbers
// Id + 1 to Id + N and the names "<name>(1)" to "<name>(N)". Elements whose
// numbers exist already are reported and skipped. Then computes the real
// limits of every definition.
void ExpandParDefArrays();

}  // namespace vek
