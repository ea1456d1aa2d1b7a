#include "Check.hpp"
#include "CompactGovernor.hpp"
#include "FuzzTargets.hpp"
#include "GovernorSession.hpp"
#include "InProcessHost.hpp"
#include "Values.hpp"
#include "core/State.hpp"

#include <vector>

namespace vekfuzz {

namespace {

// The raw values of all definitions, in the order of the index.
using RawValues = std::vector<uint16_t>;

struct UploadMode {
    int32_t includeMeasurements;
    int32_t tolerant;
};
constexpr UploadMode kModes[] = {{0, 0}, {1, 1}};

// The merge question of a tolerant upload is answered yes, so that merging runs.
int32_t VEK_CALL AgreeToMerge(void*, const VekChar*) { return 1; }

RawValues LibraryValues() {
    RawValues values(VekGetParDefNum());
    for (uint32_t i = 0; i < values.size(); ++i) values[i] = VekGetParDefByIndex(i)->RawValue;
    return values;
}

// After a successful upload the governor holds every value but the
// measurements, which the bulk write leaves out, as the library has it.
bool GovernorHolds(const vekgov::GovernorModel& model) {
    for (uint32_t i = 0; i < VekGetParDefNum(); ++i) {
        const ParDef* def = VekGetParDefByIndex(i);
        const uint32_t id = def->Id;
        if (vekgov::GroupOf(id) == vekgov::ValueGroup::Measurements) continue;
        if (vekgov::ReadValue(model, id) != def->RawValue) return false;
    }
    return true;
}

// The simulated governor, connected and with its definitions downloaded,
// kept from one input to the next: connecting costs far more than an upload.
// Every input starts from the raw values as they were after the download.
class Connection {
public:
    explicit Connection(const vekgov::DeviceProfile& profile)
        : callbacks_(vek::Core().callbacks), host_(profile) {
        ResetLibraryState();
        VekSetCallback(VEK_CALLBACK_QUESTION, reinterpret_cast<VekCallback>(AgreeToMerge));
        VEK_FUZZ_CHECK(VekInit() == 1 && VekReadAllParDef() == 1, "the simulated governor connects");
        downloaded_ = LibraryValues();
    }
    ~Connection() {
        VekClose();
        ResetLibraryState();
        vek::Core().callbacks = callbacks_;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const vekgov::GovernorModel& Model() { return host_.Model(); }
    void RestoreDownloadedValues() const {
        for (uint32_t i = 0; i < downloaded_.size(); ++i) VekGetParDefByIndex(i)->RawValue = downloaded_[i];
    }

private:
    vek::Callbacks callbacks_;
    vekgov::InProcessHost host_;
    RawValues downloaded_;
};

// Never destroyed at exit, when the library's own state may be gone already.
Connection* connection = nullptr;

}  // namespace

int FuzzPrmUpload(const uint8_t* data, size_t size) {
    if (!connection) connection = new Connection(CompactProfile("default"));
    connection->RestoreDownloadedValues();

    const char* text = reinterpret_cast<const char*>(data);
    for (const UploadMode& mode : kModes) {
        const RawValues before = LibraryValues();
        if (VekUploadPrmBufferExt(text, static_cast<uint32_t>(size), mode.includeMeasurements, mode.tolerant)) {
            VEK_FUZZ_CHECK(GovernorHolds(connection->Model()), "the governor holds the uploaded values");
        } else {
            VEK_FUZZ_CHECK(LibraryValues() == before, "a failed upload leaves every value as it was");
        }
    }
    return 0;
}

void EndPrmUpload() {
    delete connection;
    connection = nullptr;
}

}  // namespace vekfuzz
