// The texts, titles and log sources of the radio link. The message texts are
// the radio tool's own and are shown exactly as they stand, the odd spellings
// included ("CommunicatiOn Error!!" is what a failed program or clear shows).
#pragma once

namespace qb41::link {

inline constexpr const char* kCommunicationError = "Communication Error!!";
inline constexpr const char* kWriteCommunicationError = "CommunicatiOn Error!!";
inline constexpr const char* kModelTypeError = "ModelType Error !!";
inline constexpr const char* kComplete = "Complete!!";

inline constexpr const char* kTitleModelCheck = "Model Check";
inline constexpr const char* kTitleRead = "Read from Radio";
inline constexpr const char* kTitleProgram = "Program to Radio";
inline constexpr const char* kTitleClear = "Clear Data";

inline constexpr const char* kSourceReadData = "frmRadio.ReadData";
inline constexpr const char* kSourceReadDataChkModel = "frmRadio.ReadDataChkModel";
inline constexpr const char* kSourceWriteData = "frmRadio.WriteData";
inline constexpr const char* kSourceClearData = "frmRadio.ClearData";
inline constexpr const char* kSourcePortOpen = "frmRadio.PortOpen";

} // namespace qb41::link
