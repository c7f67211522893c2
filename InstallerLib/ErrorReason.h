#pragma once

#include <cerrno>

namespace stubsetup {

// The system's reason for a failure, carried by the exceptions of the
// installer interface so that the entry points can hand it on in errno after
// the clean-up on the way out has run.
class ErrorReason {
public:
    explicit ErrorReason(int reason) : m_reason(reason) {}
    virtual ~ErrorReason() = default;
    int reason() const { return m_reason; }

private:
    int m_reason;
};

// An exception of type `Base` with the current errno as its reason.
template <typename Base> class ErrorWithReason : public Base, public ErrorReason {
public:
    explicit ErrorWithReason(const char *what, int reason = errno) : Base(what), ErrorReason(reason)
    {}
};

} // namespace stubsetup
