#include "support/NetworkLine.hpp"

#include <cstdlib>

namespace vektest {

struct NetworkLine::Server {};

NetworkLine::NetworkLine() {
    const char* address = std::getenv("VEK_TEST_RFC2217");
    if (!address || !*address) {
        unavailable_ = "no device server: VEK_TEST_RFC2217 is not set (tests/wine/run-windows-tests sets it)";
        return;
    }
    portName_.assign(address, address + std::char_traits<char>::length(address));
}

NetworkLine::~NetworkLine() = default;

bool NetworkLine::StopServer() { return false; }
bool NetworkLine::StartServer() { return false; }
std::vector<unsigned> NetworkLine::RatesHeard() const { return {}; }

}  // namespace vektest
