// Fills a stream record's operation slots from a class of static functions,
// for the stand-ins that take the serial port's place (the in-process
// governor, the scripted line of the tests).
#pragma once

#include "VekLib.h"

namespace vekgov {

template <class Slots>
void InstallStreamSlots(SerialStream& stream, void* context) {
    stream.Context = context;
    stream.Open = Slots::Open;
    stream.IsOpen = Slots::IsOpen;
    stream.Close = Slots::Close;
    stream.Configure = Slots::Configure;
    stream.Write = Slots::Write;
    stream.Read = Slots::Read;
    stream.GetTimeout = Slots::GetTimeout;
    stream.SetTimeout = Slots::SetTimeout;
    stream.ChangeBaudRate = Slots::ChangeBaudRate;
    stream.Purge = Slots::Purge;
}

}  // namespace vekgov
