#pragma once

#include "common/Outcome.h"

#include <cerrno>
#include <utility>

namespace stubsetup {

// Why a failure happened, carried by the exceptions of the installer
// interface so that the entry points can hand it on after the clean-up on the
// way out has run.
class ErrorReason {
public:
    explicit ErrorReason(Outcome outcome) : m_outcome(std::move(outcome)) {}
    virtual ~ErrorReason() = default;
    int reason() const { return m_outcome.error(); }
    const Outcome &outcome() const { return m_outcome; }

private:
    Outcome m_outcome;
};

// An exception of type `Base` that says why.
template <typename Base> class ErrorWithReason : public Base, public ErrorReason {
public:
    ErrorWithReason(const char *what, Outcome outcome) : Base(what), ErrorReason(std::move(outcome))
    {}
};

} // namespace stubsetup
