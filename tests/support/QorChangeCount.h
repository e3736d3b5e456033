// Counting an object's change notifications in tests.
#pragma once

#include "UQorTypes.h"

// An OnChange handler that counts the notifications into Count.
inline TNotifyEvent CountInto(int& Count) {
    return [&Count](TObject*) {
        ++Count;
    };
}
