// The busy cursor: a process-wide nesting counter. The first switch-on shows the hourglass,
// the switch-off that brings the count back to 0 restores the normal cursor.
#pragma once

void WaitCursor(bool On);
int WaitCursorCount();
// Restores the normal cursor whatever the count (program end).
void ResetWaitCursor();

// The busy cursor for the lifetime of the object.
class TQorWaitCursor {
public:
    TQorWaitCursor() { WaitCursor(true); }
    ~TQorWaitCursor() { WaitCursor(false); }
    TQorWaitCursor(const TQorWaitCursor&) = delete;
    TQorWaitCursor& operator=(const TQorWaitCursor&) = delete;
};
