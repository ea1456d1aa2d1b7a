// Every test starts from the library as it was loaded, whatever the tests
// before it in the same process left behind: the process-wide state of each
// subsystem is taken once before the first test and put back before each.
// ctest runs every test in a process of its own; this keeps a whole-binary
// run (vek_tests without a filter) just as independent.
#include "VekLib.h"
#include "core/State.hpp"
#include "errors/ActualErrors.hpp"
#include "errors/ErrorMemory.hpp"
#include "firmware/FirmwareSource.hpp"
#include "pardef/ParDefStore.hpp"
#include "transport/SerialPort.hpp"
#include "transport/Stream.hpp"
#include "values/TimedList.hpp"

#include <gtest/gtest.h>

namespace {

struct LibraryState {
    vek::CoreState core;
    vek::TransportState transport;
    vek::SerialPortState serialPort;
    vek::ParDefState parDefs;
    vek::TimedListState timedLists;
    vek::PendingErrorsState pendingErrors;
    vek::FirmwareState firmware;

    static LibraryState Current() {
        return {vek::Core(),       vek::Transport(),     vek::SerialPort(), vek::ParDefs(),
                vek::TimedLists(), vek::PendingErrors(), vek::Firmware()};
    }

    void Restore() const {
        vek::Core() = core;
        vek::Transport() = transport;
        vek::SerialPort() = serialPort;
        vek::ParDefs() = parDefs;
        vek::TimedLists() = timedLists;
        vek::PendingErrors() = pendingErrors;
        vek::ClearErrorEntries();  // the error memory starts empty; its entries are not copied
        vek::Firmware() = firmware;
    }
};

class FreshLibraryForEachTest : public ::testing::EmptyTestEventListener {
public:
    FreshLibraryForEachTest() : loaded_(LibraryState::Current()) {}

    void OnTestStart(const ::testing::TestInfo&) override {
        // Resources the last test may have left open go first.
        VekSetLogFile(nullptr);
        loaded_.Restore();
    }

private:
    const LibraryState loaded_;
};

// Registered while the program starts, before any test runs.
const bool registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshLibraryForEachTest);
    return true;
}();

}  // namespace
