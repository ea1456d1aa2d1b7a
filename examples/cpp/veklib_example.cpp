// Connects to a governor through VekLib, reads one parameter, sets it and
// saves the governor's parameter set as a parameter file.
//
//   veklib_example PORT OUTPUT.prm [NUMBER [VALUE]]
//
// Without NUMBER the first parameter (0-1999) of the governor is used;
// without VALUE the value read is written back unchanged.
#include <VekLib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

constexpr uint32_t kBaud = 9600;
constexpr uint16_t kTextCapacity = 256;
constexpr uint32_t kKindModulus = 10000;
constexpr uint32_t kParameterKindEnd = 2000;

// ASCII (ports, file names, numbers) as the library's UTF-16.
std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// The library's UTF-16 as ASCII for printing; other characters show as '?'.
std::string Narrow(const VekChar* text) {
    std::string out;
    for (; *text; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

const VekChar* AsVek(const std::u16string& text) { return reinterpret_cast<const VekChar*>(text.c_str()); }

void Check(int32_t result, const char* step) {
    if (!result) throw std::runtime_error(std::string(step) + " failed (governor status " +
                                          std::to_string(VekGetLastError()) + ")");
}

const ParDef* FirstParameter() {
    for (uint32_t index = 0; index < VekGetParDefNum(); ++index) {
        const ParDef* def = VekGetParDefByIndex(index);
        if (def && def->Id % kKindModulus < kParameterKindEnd) return def;
    }
    throw std::runtime_error("the governor has no parameters");
}

// Closes the connection however the run ends.
struct Connection {
    Connection() { Check(VekInit(), "VekInit"); }
    ~Connection() { VekClose(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
};

void Run(int argc, char** argv) {
    if (const char* log = std::getenv("VEKLIB_LOG")) VekSetLogFile(AsVek(Widen(log)));
    Check(VekConfigureSerialStream(AsVek(Widen(argv[1])), kBaud), "VekConfigureSerialStream");
    Connection connection;
    Check(VekReadAllParDef(), "VekReadAllParDef");
    std::printf("%u definitions\n", static_cast<unsigned>(VekGetParDefNum()));

    const ParDef* def = argc > 3 ? VekGetParDef(static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)))
                                 : FirstParameter();
    if (!def) throw std::runtime_error(std::string("no parameter ") + argv[3]);
    const uint32_t id = def->Id;
    Check(VekReadRawValue(id), "VekReadRawValue");
    VekChar text[kTextCapacity];
    Check(VekGetValue(id, text, kTextCapacity), "VekGetValue");
    VekChar name[sizeof def->Name / sizeof(VekChar)];
    std::copy(std::begin(def->Name), std::end(def->Name), name);  // the record is packed
    std::printf("parameter %u %s = %s\n", static_cast<unsigned>(id), Narrow(name).c_str(), Narrow(text).c_str());

    const std::u16string value = argc > 4 ? Widen(argv[4]) : std::u16string(reinterpret_cast<char16_t*>(text));
    Check(VekSetValue(id, AsVek(value)), "VekSetValue");
    std::printf("parameter %u set to %s\n", static_cast<unsigned>(id), Narrow(AsVek(value)).c_str());

    Check(VekDownloadPrmFile(AsVek(Widen(argv[2]))), "VekDownloadPrmFile");
    std::printf("parameter file %s saved\n", argv[2]);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PORT OUTPUT.prm [NUMBER [VALUE]]\n", argv[0]);
        return 2;
    }
    try {
        Run(argc, argv);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
