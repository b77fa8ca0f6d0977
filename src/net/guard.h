// Exceptions stop at the handler boundary: every entry from the event loop
// (socket events, timer ticks, menu actions) runs its body through guarded(),
// so a thrown text is shown to the user (GUI) or written to stderr (headless)
// and the program goes on.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace quillet {

using ErrorSink = std::function<void(const std::string &text)>;

// The process-wide sink for texts that no owner catches. The default writes
// the text and a newline to stderr; the GUI installs a message box.
void setDefaultErrorSink(ErrorSink sink);
void reportUncaught(const std::string &text) noexcept;

// Runs fn(); an exception's text goes to onError (or the default sink when
// onError is empty). Nothing leaves this function, not even from onError.
template <class Fn>
void guarded(Fn &&fn, const ErrorSink &onError = {}) noexcept
{
    std::string text;
    try {
        fn();
        return;
    } catch (const std::exception &e) {
        text = e.what();
    } catch (...) {
        text = "Unknown exception";
    }
    try {
        if (onError)
            onError(text);
        else
            reportUncaught(text);
    } catch (...) {
        reportUncaught(text);
    }
}

} // namespace quillet
