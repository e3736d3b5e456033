// The change batch of the property objects: BeginUpdate/EndUpdate nest, and a change made
// while a batch is open is only recorded, to be reported once when the outermost one closes.
#pragma once

class TQorUpdateBracket {
public:
    void Begin() {
        if (FCount == 0)
            FPending = false;
        ++FCount;
    }
    // True when the outermost batch closed with a change pending: the owner calls Changed.
    bool End() {
        if (FCount > 0)
            --FCount;
        return FCount == 0 && FPending;
    }
    // Records a change; true when it is to be reported now (no batch open).
    bool Record() {
        FPending = true;
        if (FCount > 0)
            return false;
        FPending = false;
        return true;
    }
    bool Updating() const { return FCount > 0; }
    int Count() const { return FCount; }

private:
    int FCount = 0;
    bool FPending = false;
};

// Holds an object's update bracket open for a scope: BeginUpdate now, EndUpdate however the
// scope is left (also by an exception), so the whole change is reported once.
template <typename T> class TQorUpdateScope {
public:
    explicit TQorUpdateScope(T& Object) : FObject(Object) { FObject.BeginUpdate(); }
    ~TQorUpdateScope() { FObject.EndUpdate(); }
    TQorUpdateScope(const TQorUpdateScope&) = delete;
    TQorUpdateScope& operator=(const TQorUpdateScope&) = delete;

private:
    T& FObject;
};
