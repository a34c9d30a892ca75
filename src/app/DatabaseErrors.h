#pragma once

// How the start-up reads the engine's error numbers.

#include "engine/EngineErrors.h"

namespace app {

// A database file that cannot be found or reached: the numbers by which the network probe
// and both location questions recognise it.
inline bool isLocationError(int number) {
    switch (number) {
    case engine::err::InvalidArgument:
    case engine::err::ObjectNotFound:
    case engine::err::FileNotFound:
    case engine::err::DiskOrNetworkError:
    case engine::err::InvalidPath:
    case engine::err::CanceledByUser:
        return true;
    default:
        return false;
    }
}

// A file another workstation holds: routine on a network, not worth a message.
inline bool isBusyError(int number) {
    return number == engine::err::FileInUse || number == engine::err::Locked ||
           number == engine::err::CouldNotLockFile;
}

} // namespace app
