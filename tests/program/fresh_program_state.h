// Every test of the program starts from the state the program starts with, whatever the
// test before it did: FreshProgramState keeps each of the program's state records and hook
// tables as they are when it is made, and puts them back when it ends. The test main makes
// one around every test, so each test starts where the program starts.
#pragma once

#include <memory>
#include <utility>

namespace program_test {

// A record put back as it was when this was made.
template <class T>
class Kept {
public:
    explicit Kept(T& (*record)()) : live_(record()), old_(live_) {}
    ~Kept() { live_ = old_; }
    Kept(const Kept&) = delete;
    Kept& operator=(const Kept&) = delete;

private:
    T& live_;
    T old_;
};

// A record that holds another by reference (a reader holds the program's parser): copied
// when this is made and made again from the copy, in its place, when this ends.
template <class T>
class Remade {
public:
    explicit Remade(T& (*record)()) : live_(record()), old_(live_) {}
    ~Remade() {
        std::destroy_at(&live_);
        std::construct_at(&live_, old_);
    }
    Remade(const Remade&) = delete;
    Remade& operator=(const Remade&) = delete;

private:
    T& live_;
    T old_;
};

// A record that cannot be copied (it owns a window or a thread's handle): a new one in its
// place while this lives, the old one back after.
template <class T>
class Fresh {
public:
    explicit Fresh(T& (*record)()) : live_(record()), old_(std::exchange(live_, T{})) {}
    ~Fresh() { live_ = std::move(old_); }
    Fresh(const Fresh&) = delete;
    Fresh& operator=(const Fresh&) = delete;

private:
    T& live_;
    T old_;
};

// The records of the core, the scene and stock data, the trains and the show
// (fresh_program_state.cpp), and those of the stock windows, dialogs and Qt glue
// (fresh_window_state.cpp), whose headers are kept apart.
struct FreshShowFamilies;
struct FreshWindowFamilies;
FreshShowFamilies* MakeFreshShowFamilies();
FreshWindowFamilies* MakeFreshWindowFamilies();
void GiveBack(FreshShowFamilies* fresh);
void GiveBack(FreshWindowFamilies* fresh);

class FreshProgramState {
public:
    FreshProgramState();
    ~FreshProgramState();
    FreshProgramState(const FreshProgramState&) = delete;
    FreshProgramState& operator=(const FreshProgramState&) = delete;

private:
    // Made in this order, given back in the reverse one.
    FreshShowFamilies* shows_;
    FreshWindowFamilies* windows_;
};

}  // namespace program_test
