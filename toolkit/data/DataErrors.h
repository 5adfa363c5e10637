// Exceptions of the dataset layer.
#pragma once

#include <stdexcept>

namespace tk {

// A refusal of the generic dataset layer (no such field, wrong state, a
// value that does not convert). Carries only its message.
class DataSetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Ends the current operation without a message: an event handler throws it
// to stop a post, an edit or a scroll; whoever catches errors for display
// ignores it.
class Abort : public std::exception {
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

} // namespace tk
