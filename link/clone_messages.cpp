// What a run says and records about a failure: the stable names of the
// reasons, the trapped run-time errors (logged, shown, flagged) and the lost
// line in the log.
#include "clone_link.h"

#include "core/errors.h"

#include <new>

namespace qb41::link {

namespace {

// The number and description a trapped failure is reported with.
RuntimeError AsRuntimeError(const std::exception& error) {
    if (auto* runtime = dynamic_cast<const RuntimeError*>(&error)) return *runtime;
    if (dynamic_cast<const std::bad_alloc*>(&error)) return RuntimeError(ErrorNumber::OutOfMemory);
    return RuntimeError(ErrorNumber::InvalidProcedureCall, error.what());
}

} // namespace

const char* ReasonName(LinkReason reason) {
    switch (reason) {
    case LinkReason::None:
        return "completed";
    case LinkReason::PortUnavailable:
        return "port unavailable";
    case LinkReason::NoAnswer:
        return "no answer";
    case LinkReason::ProtocolError:
        return "protocol error";
    case LinkReason::LineLost:
        return "line lost";
    case LinkReason::ModelMismatch:
        return "model mismatch";
    case LinkReason::Cancelled:
        return "cancelled";
    case LinkReason::RuntimeError:
        return "run-time error";
    case LinkReason::VerifyMismatch:
        return "verify mismatch";
    }
    return "unknown";
}

// A failure inside an operation: logged, shown as its number and description
// titled with its source, and the operation stops with the port closed.
void CloneLink::TrapRuntimeError(const char* source, const std::exception& error) {
    RuntimeError failure = AsRuntimeError(error);
    ctx_.log.LogError(source, ErrorText(failure));
    Tell(MessageIcon::Critical, source,
         std::to_string(static_cast<int>(failure.number())) + "\n\n" + failure.description());
    port_.flags.error = true;
    port_.flags.cancel = true;
    Fail(LinkReason::RuntimeError, ErrorText(failure));
    port_.PortClose();
}

void CloneLink::LogLineLost(const char* source) {
    if (port_.lineLost())
        ctx_.log.LogError(source, ErrorText(RuntimeError(ErrorNumber::DeviceIoError)));
}

} // namespace qb41::link
