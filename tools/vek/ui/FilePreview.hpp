// What loading a parameter file would change: each value line of the file
// is parsed by the library against its definition (nothing is sent) and
// compared with the value the governor holds. Governor thread only; the
// governor's values must have been read first.
#pragma once

#include "Reply.hpp"

#include <string>

namespace vektool::ui {

// {versions: {file: {HW, SW, UW}, governor: {HW, SW, UW}}, differences:
// [{number, name, governor, file, unit}], problems: [{line, number, name,
// problem}], unchanged: N}
Json PreviewParameterFile(const std::string& bytes, bool includeMeasurements);

}  // namespace vektool::ui
