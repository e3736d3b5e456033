// What the drawing control's files share (internal to draw/): releasing contexts without failing.
#pragma once

namespace QorDrawDetail {

template <typename F> void IgnoreErrors(F&& f) {
    try {
        f();
    } catch (...) {
        // Releasing and deleting contexts never fails painting.
    }
}

} // namespace QorDrawDetail
