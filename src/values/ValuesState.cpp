#include "values/ValuesState.hpp"

namespace vek {

ValuesState& Values() {
    static ValuesState state;
    return state;
}

}  // namespace vek
