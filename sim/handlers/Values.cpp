// The values: single reads and writes by number, and the block transfers of
// whole groups, which pair the values with the group's defined numbers in
// ascending order. A read answers the next block of each group until an
// empty block ends it; a write takes blocks until every number of the group
// has its value.
#include "GovernorModel.hpp"
#include "Values.hpp"
#include "handlers/Handlers.hpp"

#include <algorithm>

namespace vekgov {

namespace {

constexpr size_t kShortNumberBytes = 2;
constexpr size_t kWideNumberBytes = 4;
// The reply to a read of a number without a definition: the value 1 with the
// checksum 2, which no true value has.
constexpr uint16_t kNotDefinedValue = 1;
constexpr uint16_t kNotDefinedChecksum = 2;

size_t NumberBytes(const GovernorModel& model) {
    return (model.profile.commandsInfo & dev::InfoWideNumbers) ? kWideNumberBytes : kShortNumberBytes;
}

uint32_t NumberAt(const Request& request, size_t at, size_t width) {
    uint32_t number = request.Word(at);
    if (width == kWideNumberBytes) number |= static_cast<uint32_t>(request.Word(at + 2)) << 16;
    return number;
}

uint16_t SumOfBytes(const Request& request, size_t from, size_t to) {
    uint16_t sum = 0;
    for (size_t i = from; i < to; ++i) sum = static_cast<uint16_t>(sum + request.Byte(i));
    return sum;
}

// Command byte and number -> value word and the sum of its two bytes.
size_t ReadRawValue(const Request& request, GovernorModel& model, Reply& reply) {
    const size_t width = NumberBytes(model);
    const size_t size = 1 + width;
    if (!request.Has(size)) return kNeedMoreBytes;
    const std::optional<uint16_t> value = ReadValue(model, NumberAt(request, 1, width));
    if (!value) {
        reply.Word(kNotDefinedValue);
        reply.Word(kNotDefinedChecksum);
        return size;
    }
    reply.Word(*value);
    reply.Word(static_cast<uint16_t>((*value & 0xFF) + (*value >> 8)));
    return size;
}

// Command byte, number, value and the sum of the bytes of both -> status.
size_t WriteRawValue(const Request& request, GovernorModel& model, Reply& reply) {
    const size_t width = NumberBytes(model);
    const size_t sumAt = 1 + width + kValueBytes;
    const size_t size = sumAt + 2;
    if (!request.Has(size)) return kNeedMoreBytes;
    const bool intact = request.Word(sumAt) == SumOfBytes(request, 1, sumAt);
    if (!intact) ++model.framingErrors;
    const bool stored = intact && WriteValue(model, NumberAt(request, 1, width), request.Word(1 + width));
    reply.Status(stored ? dev::StatusOk : dev::StatusRefused);
    return size;
}

size_t ReadGroupBlock(ValueGroup group, GovernorModel& model, Reply& reply) {
    const std::vector<DefinedNumber>& members = model.numbers.groups[static_cast<size_t>(group)];
    size_t& position = model.values.readPosition[static_cast<size_t>(group)];
    const size_t end = std::min(members.size(), position + ValuesPerReadBlock(model.profile));
    Bytes data;
    for (; position < end; ++position) AppendWord(data, ValueOf(model, members[position]));
    if (data.empty()) position = 0;  // the empty block ends the transfer; the next read starts over
    reply.Block(data);
    return 1;
}

size_t WriteGroupBlock(ValueGroup group, const Request& request, GovernorModel& model, Reply& reply) {
    const IncomingBlock block = ParseBlock(request.bytes + 1, request.size - 1);
    if (block.state == IncomingBlock::State::Incomplete) return kNeedMoreBytes;
    const std::vector<DefinedNumber>& members = model.numbers.groups[static_cast<size_t>(group)];
    size_t& position = model.values.writePosition[static_cast<size_t>(group)];
    const size_t count = block.dataLength / kValueBytes;
    // The command byte and the block must not exceed the announced block size.
    const bool withinBlockSize = 1 + block.totalBytes <= model.profile.transferBlockSize;
    const bool fits = withinBlockSize && block.dataLength % kValueBytes == 0 && position + count <= members.size();
    const bool damaged = block.state == IncomingBlock::State::Malformed || !block.checksumMatches;
    if (damaged) ++model.framingErrors;
    if (damaged || !fits) {
        position = 0;
        reply.Status(dev::StatusRefused);
        return 1 + block.totalBytes;
    }
    const uint8_t* values = request.bytes + 1 + block.dataOffset;
    for (size_t i = 0; i < count; ++i) model.values.written[members[position++].number] = GetWord(values + i * kValueBytes);
    if (position == members.size()) position = 0;  // every value arrived: the next write starts over
    reply.Status(dev::StatusOk);
    return 1 + block.totalBytes;
}

void RegisterGroup(ProtocolEngine& engine, ValueGroup group, uint8_t readCommand) {
    engine.Register(readCommand, [group](const Request&, GovernorModel& model, Reply& reply) {
        return ReadGroupBlock(group, model, reply);
    });
}

void RegisterGroupWrite(ProtocolEngine& engine, ValueGroup group, uint8_t writeCommand) {
    engine.Register(writeCommand, [group](const Request& request, GovernorModel& model, Reply& reply) {
        return WriteGroupBlock(group, request, model, reply);
    });
}

}  // namespace

void RegisterValueCommands(ProtocolEngine& engine) {
    engine.Register(dev::ReadRawValue, ReadRawValue);
    engine.Register(dev::WriteRawValue, WriteRawValue);
    RegisterGroup(engine, ValueGroup::Parameters, dev::ReadParameterValues);
    RegisterGroup(engine, ValueGroup::Measurements, dev::ReadMeasurementValues);
    RegisterGroup(engine, ValueGroup::Functions, dev::ReadFunctionValues);
    RegisterGroup(engine, ValueGroup::Curves, dev::ReadCurveValues);
    RegisterGroupWrite(engine, ValueGroup::Parameters, dev::WriteParameterValues);
    RegisterGroupWrite(engine, ValueGroup::Functions, dev::WriteFunctionValues);
    RegisterGroupWrite(engine, ValueGroup::Curves, dev::WriteCurveValues);
}

}  // namespace vekgov
