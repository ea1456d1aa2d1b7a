// The firmware commands: the basic erase and image stream, and the extended
// command whose block starts with a sub-command byte.
#include "Firmware.hpp"

#include "handlers/Handlers.hpp"

namespace vekgov {

namespace {

constexpr size_t kBareCommandBytes = 1;
constexpr size_t kSubCommandBytes = 1;
constexpr size_t kOffsetBytes = 4;
constexpr size_t kTerminateBytes = 6;   // 32-bit size and 16-bit sum
// The basic stream: command byte, size field (image + 2), image, sum word.
constexpr size_t kStreamHeaderBytes = 5;
constexpr uint32_t kSizeFieldExtra = 2;
constexpr size_t kSumBytes = 2;

uint32_t GetLong(const uint8_t* p) {
    return static_cast<uint32_t>(GetWord(p)) | (static_cast<uint32_t>(GetWord(p + 2)) << 16);
}

// Two bytes and a word with their sum.
void QueryAnswer(Reply& reply, uint16_t value) {
    reply.Word(value);
    reply.Word(static_cast<uint16_t>((value & 0xFF) + (value >> 8)));
}

void Dispatch(uint8_t subCommand, const uint8_t* args, size_t n, GovernorModel& model, Reply& reply) {
    const FirmwareSetup& setup = model.profile.firmware;
    switch (subCommand) {
        case dev::FirmwareInfo:
            if (n == 0) return QueryAnswer(reply, setup.uploadInfo);
            break;
        case dev::FirmwareBlockSize:
            if (n == 0) return QueryAnswer(reply, setup.blockSize);
            break;
        case dev::FirmwareErase:
            if (n == 0) return reply.Status(RequestErase(model, true));
            break;
        case dev::FirmwareData:
            if (n >= kOffsetBytes) {
                return reply.Status(AcceptBlock(model, GetLong(args), args + kOffsetBytes, n - kOffsetBytes));
            }
            break;
        case dev::FirmwareTerminate:
            if (n == kTerminateBytes) return reply.Status(TerminateUpload(model, GetLong(args), GetWord(args + 4)));
            break;
        default:
            break;
    }
    reply.Status(dev::StatusRefused);
}

size_t ExtendedFirmware(const Request& request, GovernorModel& model, Reply& reply) {
    const CommandBlock block = TakeCommandBlock(request, kSubCommandBytes, model, reply);
    if (block.data) Dispatch(block.data[0], block.data + kSubCommandBytes, block.length - kSubCommandBytes, model, reply);
    return block.consumed;
}

size_t EraseBasic(const Request&, GovernorModel& model, Reply& reply) {
    reply.Status(RequestErase(model, false));
    return kBareCommandBytes;
}

// The whole stream is awaited before the answer. A size field no image can
// have is refused at once; what follows it is not an image the governor takes.
size_t UploadBasic(const Request& request, GovernorModel& model, Reply& reply) {
    if (!request.Has(kStreamHeaderBytes)) return kNeedMoreBytes;
    const uint32_t sizeField = GetLong(request.bytes + 1);
    if (sizeField < kSizeFieldExtra || sizeField - kSizeFieldExtra > model.profile.firmware.capacity) {
        reply.Status(firmware_status::ImageRefused);
        return request.size;
    }
    const size_t imageBytes = sizeField - kSizeFieldExtra;
    const size_t total = kStreamHeaderBytes + imageBytes + kSumBytes;
    if (!request.Has(total)) return kNeedMoreBytes;
    const uint16_t sum = ByteSum(request.bytes + 1, kStreamHeaderBytes - 1 + imageBytes);
    const bool sumMatches = request.Word(kStreamHeaderBytes + imageBytes) == sum;
    reply.Status(AcceptImage(model, request.bytes + kStreamHeaderBytes, imageBytes, sumMatches));
    return total;
}

}  // namespace

void RegisterFirmwareCommands(ProtocolEngine& engine) {
    engine.Register(dev::Firmware, ExtendedFirmware);
    engine.Register(dev::EraseFirmware, EraseBasic);
    engine.Register(dev::UploadFirmware, UploadBasic);
}

}  // namespace vekgov
