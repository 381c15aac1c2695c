#pragma once

namespace vq::cli {

// While it lives, the window system's fatal start-up message (no display to reach) prints
// `noDisplayLine` alone and ends the process with status 2, and its plugin chatter is dropped:
// one line is enough for a user, Qt's page of plugin text is not.
class StartupGuard {
public:
    explicit StartupGuard(const char* noDisplayLine);
    ~StartupGuard();
    StartupGuard(const StartupGuard&) = delete;
    StartupGuard& operator=(const StartupGuard&) = delete;
};

// A program started with stdin, stdout or stderr closed would hand those numbers to the next
// file it opens, and then print its reports into the serial device: they get /dev/null.
void ensureStandardStreams();

// Log lines carry a time stamp and their category, unless QT_MESSAGE_PATTERN says otherwise.
void stampLogLines();

} // namespace vq::cli
