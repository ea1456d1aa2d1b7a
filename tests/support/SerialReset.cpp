#include "support/SerialReset.hpp"

#include "transport/SerialPort.hpp"
#include "transport/Stream.hpp"

namespace vektest {

void ResetSerialPort() {
    SerialStream& stream = vek::Stream();
    if (stream.Close) stream.Close(&stream);
    vek::SerialPort() = vek::SerialPortState{};
    vek::InstallDoNothingStream(stream);
}

}  // namespace vektest
