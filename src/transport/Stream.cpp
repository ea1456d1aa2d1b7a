// The stream record, its do-nothing defaults and the calls into its slots.
#include "transport/Stream.hpp"

#include "core/ExportGuard.hpp"
#include "platform/Platform.hpp"

namespace vek {

namespace {

constexpr uint8_t kWakeUpByte = 0x00;
constexpr uint32_t kWakeUpPauseMs = 50;

// The stream of a freshly loaded library: opening and configuring succeed,
// nothing is ever received, nothing is open.
int32_t VEK_CALL Succeed(SerialStream*) { return 1; }
int32_t VEK_CALL Fail(SerialStream*) { return 0; }
int32_t VEK_CALL DoNothing(SerialStream*) { return 0; }
int32_t VEK_CALL WriteNothing(SerialStream*, const uint8_t*, int32_t) { return 1; }
int32_t VEK_CALL ReadNothing(SerialStream*, uint8_t*, int32_t) { return 1; }
int32_t VEK_CALL NoTimeout(SerialStream*) { return 0; }
int32_t VEK_CALL IgnoreTimeout(SerialStream*, int32_t) { return 1; }

TransportState MakeLoadedTransport() {
    TransportState state;
    InstallDoNothingStream(state.stream);
    return state;
}

}  // namespace

TransportState& Transport() {
    static TransportState state = MakeLoadedTransport();
    return state;
}

void InstallDoNothingStream(SerialStream& s) {
    s = SerialStream{};
    CopyText(FromApi(s.Config), sizeof s.Config / sizeof s.Config[0], u"N/A");
    s.ResponseTimeout = kDefaultResponseTimeout;
    s.LongTimeout = kDefaultLongTimeout;
    s.StartupWait = kDefaultStartupWait;
    s.EraseTimeout = kDefaultEraseTimeout;
    s.Open = Succeed;
    s.IsOpen = Fail;
    s.Close = DoNothing;
    s.Configure = Succeed;
    s.Write = WriteNothing;
    s.Read = ReadNothing;
    s.GetTimeout = NoTimeout;
    s.SetTimeout = IgnoreTimeout;
    s.ChangeBaudRate = Succeed;
    s.Purge = Succeed;
}

// A slot the caller emptied counts as a failing operation.
bool StreamOpen() { return Stream().Open && Stream().Open(&Stream()) != 0; }
bool StreamIsOpen() { return Stream().IsOpen && Stream().IsOpen(&Stream()) != 0; }
void StreamClose() {
    if (Stream().Close) Stream().Close(&Stream());
}
bool StreamConfigure() { return Stream().Configure && Stream().Configure(&Stream()) != 0; }
bool StreamWrite(const uint8_t* data, int32_t count) {
    return Stream().Write && Stream().Write(&Stream(), data, count) != 0;
}
bool StreamRead(uint8_t* buffer, int32_t count) {
    return Stream().Read && Stream().Read(&Stream(), buffer, count) != 0;
}
int32_t StreamGetTimeout() { return Stream().GetTimeout ? Stream().GetTimeout(&Stream()) : 0; }
bool StreamSetTimeout(int32_t ms) { return Stream().SetTimeout && Stream().SetTimeout(&Stream(), ms) != 0; }
bool StreamChangeBaudRate() { return Stream().ChangeBaudRate && Stream().ChangeBaudRate(&Stream()) != 0; }
bool StreamPurge() { return Stream().Purge && Stream().Purge(&Stream()) != 0; }

const Char* StreamTranslate(const Char* text) {
    if (!Stream().TranslateHook) return text;
    const VekChar* translated = Stream().TranslateHook(&Stream(), ToApi(text));
    return translated ? FromApi(translated) : text;
}

bool StreamRequestBaudRate(uint32_t baud) {
    return !Stream().RequestBaudRate || Stream().RequestBaudRate(&Stream(), baud) != 0;
}

void WakeUpGovernor(SerialStream* stream) {
    // Each zero byte at the slow rate holds the line low long enough for the
    // governor to notice.
    for (int i = 0; i < 2; ++i) {
        StreamOpened();
        stream->Write(stream, &kWakeUpByte, 1);
        platform::SleepMs(kWakeUpPauseMs);
    }
}

void StreamOpened() {
    if (Stream().OnOpened) Stream().OnOpened(&Stream());
}

}  // namespace vek

extern "C" VEK_API SerialStream* VEK_CALL VekGetStream(void) {
    return vek::Guarded<SerialStream*>(__func__, nullptr, [&]() -> SerialStream* {
        return &vek::Stream();
    });
}
