// How the definitions travel: the record layout a profile announces (number
// width and name field length), the bytes of one record, and the totals that
// the definition checksum block announces.
#pragma once

#include "DeviceProfile.hpp"
#include "Framing.hpp"

#include <cstddef>
#include <string>
#include <vector>

namespace vekgov {

struct DefinitionLayout {
    size_t numberBytes;  // 4 with wide parameter numbers, else 2
    size_t nameBytes;    // the announced name length, 20 when it is 0

    size_t RecordSize() const;
};

DefinitionLayout LayoutOf(const DeviceProfile& profile);

// Number, name field (cut or padded with 0 bytes), min, max, unit field
// (7 bytes), IntCode, format and count.
void AppendDefinition(Bytes& out, const Definition& definition, const DefinitionLayout& layout);

// Puts the definitions into the profile and makes its checksum block announce
// their total size (in the 32-bit word when the 16-bit one cannot hold it).
// Fails with a reason when a number does not fit the profile's number width.
// Call it again after changing the profile's layout.
bool AttachDefinitions(DeviceProfile& profile, std::vector<Definition> definitions, std::string& error);

// The built-in definitions that the profile's IntCodes can describe; none
// while the boot loader runs.
void AttachBuiltInDefinitions(DeviceProfile& profile);

}  // namespace vekgov
