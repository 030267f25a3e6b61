// Values that break a value rule, each as it appears in a settings data file
// of model 0 and as it would be typed into its editor box. The same table
// drives the editor's refusal, the check's findings and the load (files
// tests) and write's refusal (command-line tests), so the four can never
// disagree about a value.
#pragma once

#include <string>

namespace qb41::test {

enum class ValueBox {
    None, // the field is edited by a list: no box can take a bad value
    RxFrequency,
    TxFrequency,
    DisplayLeft,
    ChannelName,
    UserMmsi,
    AtisCode,
    CallSignMid,
    GroupMmsi,
};

struct ValueCase {
    const char* from; // the line of a fresh model 0 file (with its section)
    const char* to;   // the same line with the bad value
    const char* key;  // the finding names it
    ValueBox box;
    const char* typed; // what the box is given
    bool keptAsStored; // the load keeps the value (flagged); otherwise the default stays
};

inline constexpr ValueCase kValueCases[] = {
    {"[CHEXP0]\r\nEnable=0\r\nCHDisplayL=\r\nCHDisplayR=\r\nRxfreq=0",
     "[CHEXP0]\r\nEnable=0\r\nCHDisplayL=\r\nCHDisplayR=\r\nRxfreq=1e300", "Rxfreq",
     ValueBox::RxFrequency, "1e300", false},
    {"[CHEXP1]\r\nEnable=0\r\nCHDisplayL=\r\nCHDisplayR=\r\nRxfreq=0",
     "[CHEXP1]\r\nEnable=0\r\nCHDisplayL=\r\nCHDisplayR=\r\nRxfreq=-156.05", "Rxfreq",
     ValueBox::RxFrequency, "-156.05", false},
    {"[CHEXP2]\r\nEnable=0\r\nCHDisplayL=\r\nCHDisplayR=\r\nRxfreq=0\r\nTxfreq=0",
     "[CHEXP2]\r\nEnable=0\r\nCHDisplayL=\r\nCHDisplayR=\r\nRxfreq=0\r\nTxfreq=999999", "Txfreq",
     ValueBox::TxFrequency, "999999", false},
    {"[CHEXP3]\r\nEnable=0\r\nCHDisplayL=\r\nCHDisplayR=\r\nRxfreq=0",
     "[CHEXP3]\r\nEnable=0\r\nCHDisplayL=\r\nCHDisplayR=\r\nRxfreq=156.0123", "Rxfreq",
     ValueBox::RxFrequency, "156.0123", true},
    {"[CHEXP4]\r\nEnable=0\r\nCHDisplayL=\r\nCHDisplayR=\r\nRxfreq=0",
     "[CHEXP4]\r\nEnable=0\r\nCHDisplayL=\r\nCHDisplayR=\r\nRxfreq=300000", "Rxfreq",
     ValueBox::RxFrequency, "300000", false},
    {"[CHEXP5]\r\nEnable=0\r\nCHDisplayL=", "[CHEXP5]\r\nEnable=0\r\nCHDisplayL=123456789",
     "CHDisplayL", ValueBox::DisplayLeft, "123456789", false},
    {"Resume Time=3", "Resume Time=30000", "Resume Time", ValueBox::None, "", false},
    {"Scramble=0\r\nChTag=#\r\nNarrow=0\r\n[CHEXP7]",
     "Scramble=99\r\nChTag=#\r\nNarrow=0\r\n[CHEXP7]", "Scramble", ValueBox::None, "", false},
    {"MID1=\r\n", "MID1=12345\r\n", "MID1", ValueBox::CallSignMid, "12345", false},
    {"ChTag=#\r\nNarrow=0\r\n[CHEXP9]", "ChTag=#\xc3\x84RGER\r\nNarrow=0\r\n[CHEXP9]", "ChTag",
     ValueBox::ChannelName, "\xc3\x84RGER", false},
    {"Atis Code=#", "Atis Code=#1234567890", "Atis Code", ValueBox::AtisCode, "1234567890", false},
    {"User MMSI=#", "User MMSI=#0244123450", "User MMSI", ValueBox::UserMmsi, "024412345", false},
    {"[CHGRPID1]\r\nEnable=0\r\nTagName=#\r\nMmsid=",
     "[CHGRPID1]\r\nEnable=0\r\nTagName=#\r\nMmsid=3661234560", "Mmsid", ValueBox::GroupMmsi,
     "366123456", false},
};

} // namespace qb41::test
