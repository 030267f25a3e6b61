// Ctrl+C, SIGTERM and SIGHUP (a console's Ctrl+C, Ctrl+Break and close on
// Windows) cancel a transfer as the Cancel button does; a second one ends the
// process.
#pragma once

#include "core/platform.h"
#include "link/transport.h"

namespace qb41::cli {

class SignalScope {
public:
    explicit SignalScope(link::CancelToken& token) : stop_(&Cancel, &token) {}

private:
    static void Cancel(void* token) noexcept { static_cast<link::CancelToken*>(token)->cancel(); }
    platform::StopScope stop_;
};

} // namespace qb41::cli
