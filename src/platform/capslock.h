#pragma once
// The Caps Lock toggle, which switches the black and white lists on at the moment of a stop.

namespace kelvora {

class CapsLockState {
public:
    virtual ~CapsLockState() = default;
    // True while the Caps Lock light is on; false where the state cannot be known.
    virtual bool capsLockOn() = 0;
};

} // namespace kelvora
