#include "explanation.h"

#include <cstdio>

namespace qb41::link {

namespace {

bool ForWindow(const ExplainContext& context) {
    return context.audience == Audience::Window;
}

// Where the user names the port.
std::string ChoosePort(const ExplainContext& context) {
    return ForWindow(context) ? "Choose the cable's port under Options > SerialPort."
                              : "Give the cable's port with --port ('qb41-cli ports' lists the "
                                "serial ports found).";
}

Explanation PortExplanation(const ExplainContext& context) {
    const std::string& device = context.device;
    const PortDiagnosis diagnosis = context.port.value_or(PortDiagnosis{});
    switch (diagnosis.kind) {
    case PortCause::Missing:
        return {"no such device " + device,
                ForWindow(context)
                    ? "Is the cable plugged in? Choose its port under Options > SerialPort."
                    : "Is the cable plugged in? 'qb41-cli ports' lists the serial ports found."};
    case PortCause::NotSerialDevice:
        return {device + " is not a serial device", ChoosePort(context)};
    case PortCause::PermissionDenied:
        return {"permission denied on " + device + " (it belongs to group " + diagnosis.group + ")",
                "Join that group and log in again:  sudo usermod -aG " + diagnosis.group +
                    " $USER"};
    case PortCause::Busy:
        break;
    }
    return {device + " is busy: another program has it open",
            "Close the other program (another qb41 or qb41-cli, a terminal program, a modem "
            "manager) and try again."};
}

// "TQ4800M, ZH520, ZH540 and LW6100": every model of the catalogue.
std::string ProgrammableModels() {
    std::string names;
    const std::span<const ModelInfo> models = AllModels();
    for (std::size_t i = 0; i < models.size(); ++i) {
        if (i > 0) names += i + 1 == models.size() ? " and " : ", ";
        names += models[i].catalogueName;
    }
    return names;
}

Explanation MismatchExplanation(const LinkOutcome& outcome, const ExplainContext& context) {
    if (!outcome.radioModelCode) return {outcome.detail, {}};
    const std::uint16_t code = *outcome.radioModelCode;
    if (outcome.radioModelCopy && *outcome.radioModelCopy != code)
        return {"the radio's two model codes differ (" + outcome.detail + ")",
                "Its memory may be damaged; read it again before anything is programmed."};
    const ModelInfo* radio = FindModelByCode(code);
    std::string cause = "the radio is " + CodeName(code);
    if (ForWindow(context))
        cause += "; Edit > Model is " + ModelWithCode(context.model);
    else if (context.modelFromFile)
        cause += "; the file is for " + ModelWithCode(context.model);
    else
        cause += "; the model selected is " + ModelWithCode(context.model);
    if (!radio) return {cause, "Only the " + ProgrammableModels() + " can be programmed."};
    const std::string name = ModelWithCode(radio->number);
    if (ForWindow(context)) return {cause, "Switch Edit > Model to " + name + " and read again."};
    if (context.modelFromFile) return {cause, "Write a file made for the " + name + "."};
    return {cause, "Leave out --model, or give --model " + std::to_string(radio->number) + "."};
}

} // namespace

std::string CodeName(std::uint16_t code) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(code));
    if (const ModelInfo* known = FindModelByCode(code))
        return std::string(known->catalogueName) + " (" + hex + ")";
    return std::string("an unknown model (") + hex + ")";
}

std::string ModelWithCode(ModelNumber model) {
    return CodeName(ModelCode(model));
}

std::optional<ModelNumber> ReportedModel(const LinkOutcome& outcome, ModelNumber selected) {
    if (outcome.reason != LinkReason::ModelMismatch || !outcome.radioModelCode) return {};
    if (outcome.radioModelCopy && *outcome.radioModelCopy != *outcome.radioModelCode) return {};
    const ModelInfo* radio = FindModelByCode(*outcome.radioModelCode);
    if (radio && radio->number != selected) return radio->number;
    return {};
}

Explanation Explain(const LinkOutcome& outcome, const ExplainContext& context) {
    const std::string& device = context.device;
    switch (outcome.reason) {
    case LinkReason::None:
        return {};
    case LinkReason::PortUnavailable:
        return PortExplanation(context);
    case LinkReason::NoAnswer:
        return {"the radio did not answer on " + device + " (" + outcome.detail + ")",
                ForWindow(context)
                    ? "Check that the clone cable is seated at both ends, that the radio is in "
                      "clone mode (press and hold [DISTRESS] and [SCAN] while turning the power "
                      "on; the display shows UART), and that " +
                          device + " is the cable's port (Options > SerialPort)."
                    : "Check that the clone cable is seated at both ends, that the radio is in "
                      "clone\nmode (press and hold [DISTRESS] and [SCAN] while turning the power "
                      "on; the\ndisplay shows UART), and that " +
                          device + " is the cable's port ('qb41-cli ports')."};
    case LinkReason::ProtocolError:
        return {"the radio's answers on " + device + " were garbled (" + outcome.detail + ")",
                "Check the cable and that no other program uses the port."};
    case LinkReason::LineLost:
        return {"the line to " + device + " was lost (" + outcome.detail + ")",
                "Was the cable pulled or the radio switched off? Reconnect it and try again."};
    case LinkReason::ModelMismatch:
        return MismatchExplanation(outcome, context);
    case LinkReason::Cancelled:
        return {"cancelled", {}};
    case LinkReason::VerifyMismatch:
        return {outcome.detail, "Program it again; if it differs again, check the cable."};
    case LinkReason::RuntimeError:
        return {outcome.detail,
                ForWindow(context)
                    ? "Try again; if it happens again, start the program with /D and report "
                      "err.log."
                    : "Try again; if it happens again, run it with --trace FILE and report it."};
    }
    return {outcome.detail, {}};
}

std::string WindowText(const std::string& message, const Explanation& explanation) {
    std::string text = message;
    if (!explanation.cause.empty()) text += "\n" + explanation.cause;
    if (!explanation.nextStep.empty()) text += "\n" + explanation.nextStep;
    return text;
}

} // namespace qb41::link
