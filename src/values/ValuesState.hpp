// The process-wide state of the value operations. The switch for direct
// writes lives in the library frame (Core().directSetFlag); what is kept here
// is the depth of the range-parameter fetches now running, which stops a
// chain of range parameters that leads back to itself.
#pragma once

namespace vek {

struct ValuesState {
    int rangeFetchDepth = 0;
};

ValuesState& Values();

}  // namespace vek
