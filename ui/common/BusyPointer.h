#pragma once

// The application-wide busy pointer. Commands that must not start during a long operation ask
// IsBusy(); a Scope shows the busy pointer for its lifetime and restores the default one after,
// also when the operation leaves early.
class BusyPointer {
public:
    static void SetBusy();
    static void SetDefault();
    static bool IsBusy();

    class Scope {
    public:
        Scope() { SetBusy(); }
        ~Scope() { SetDefault(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };
};
