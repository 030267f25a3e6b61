#include "file_outcome.h"

#include "core/errors.h"
#include "file_io.h"

namespace qb41 {

FileOutcome FileSucceeded(FileOperation operation, const std::filesystem::path& path) {
    FileOutcome outcome;
    outcome.operation = operation;
    outcome.path = path;
    return outcome;
}

FileOutcome FileRefused(FileOperation operation, FileReason reason,
                        const std::filesystem::path& path, std::string cause) {
    FileOutcome outcome = FileSucceeded(operation, path);
    outcome.status = FileStatus::Failed;
    outcome.reason = reason;
    outcome.cause = std::move(cause);
    return outcome;
}

FileOutcome FileTrapped(FileOperation operation, const std::filesystem::path& path,
                        const std::exception& error) {
    const bool saving = operation == FileOperation::SaveDataFile ||
                        operation == FileOperation::SaveImageFile ||
                        operation == FileOperation::SaveReportText;
    FileOutcome outcome =
        FileRefused(operation, saving ? FileReason::SaveFailed : FileReason::ReadFailed, path,
                    FileFailureCause(error));
    outcome.errorText = ErrorText(error);
    const auto* runtime = dynamic_cast<const RuntimeError*>(&error);
    outcome.description = runtime ? runtime->description() : std::string(error.what());
    return outcome;
}

} // namespace qb41
