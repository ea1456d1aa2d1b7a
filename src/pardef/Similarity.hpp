// The gestalt pattern matching measure of Ratcliff and Obershelp: twice the
// number of characters in common runs over the total length of both texts.
#pragma once

#include "text/Text.hpp"

namespace vek {

// 0.0 (nothing in common, or either text empty) to 1.0 (equal texts). Letter
// case counts. Runs are found longest first; among equally long runs the one
// that starts earliest in a, then earliest in b, wins; the texts before and
// after each run are matched again.
double StrSimilarity(TextView a, TextView b);

}  // namespace vek
