// One object of a kind that the program runs on, which a test may replace for a while: the
// program's own is made at its first use; `ScopedInstall` puts another in its place for its
// lifetime and then the one before back; `FreshInstall` does so with a new object of its own,
// so that a test starts clean and leaves nothing behind. Main thread only.
#pragma once

namespace yov {

// The object in force for T: the program's own, or the one installed last.
template <class T>
T*& Installed() {
    static T program;
    static T* current = &program;
    return current;
}

template <class T>
class ScopedInstall {
public:
    explicit ScopedInstall(T& object) : previous_(Installed<T>()) { Installed<T>() = &object; }
    ~ScopedInstall() { Installed<T>() = previous_; }
    ScopedInstall(const ScopedInstall&) = delete;
    ScopedInstall& operator=(const ScopedInstall&) = delete;

private:
    T* previous_;
};

template <class T>
class FreshInstall {
public:
    FreshInstall() = default;
    FreshInstall(const FreshInstall&) = delete;
    FreshInstall& operator=(const FreshInstall&) = delete;

private:
    T own_;
    ScopedInstall<T> use_{own_};
};

}  // namespace yov
