#pragma once

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace stubsetup {

// Success, or why an operation failed in terms a user can act on: the
// system's error number (handed on as errno at the C boundary), what it
// failed on (usually a path) and, where the system's own text would mislead,
// the reason in words.
class Outcome {
public:
    Outcome() = default;

    static Outcome failure(int error, std::string subject, std::string reason = {})
    {
        Outcome outcome;
        outcome.m_error = error != 0 ? error : EIO;
        outcome.m_subject = std::move(subject);
        outcome.m_reason = std::move(reason);
        return outcome;
    }

    bool ok() const { return m_error == 0; }
    explicit operator bool() const { return ok(); }
    int error() const { return m_error; }
    const std::string &subject() const { return m_subject; }
    const std::string &reason() const { return m_reason; }

    // "subject: reason", with the system's text where no reason was given.
    std::string describe() const
    {
        const std::string why = m_reason.empty() ? std::strerror(m_error) : m_reason;
        return m_subject.empty() ? why : m_subject + ": " + why;
    }

private:
    int m_error = 0;
    std::string m_subject;
    std::string m_reason;
};

} // namespace stubsetup
