#include "win32_serial_transport.h"

#include "core/errors.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace qb41::link {

namespace {

constexpr DWORD kWriteTimeoutMs = 5000;

HANDLE Handle(void* handle) {
    return static_cast<HANDLE>(handle);
}

std::string Narrow(const wchar_t* text, DWORD length) {
    std::string narrow;
    for (DWORD i = 0; i < length && text[i] != L'\0'; ++i)
        narrow += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    return narrow;
}

// Read timeouts for one call: `waitMs` 0 returns at once with what has
// arrived; otherwise the call returns once the bytes asked for are there, or
// after `waitMs` with those that came.
COMMTIMEOUTS ReadTimeouts(DWORD waitMs) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = waitMs == 0 ? MAXDWORD : 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = waitMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    return timeouts;
}

RuntimeError OpenFailure(DWORD error, const std::string& device) {
    ErrorNumber number = ErrorNumber::PortNotAvailable;
    std::string why = "cannot open " + device;
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
        number = ErrorNumber::PortAlreadyOpen;
        why = "another program holds " + device;
    } else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        why = "no such port " + device;
    }
    return RuntimeError(number, ErrorDescription(number) + " (" + why + ")");
}

} // namespace

std::wstring ComDevicePath(const std::string& name) {
    std::wstring wide(name.begin(), name.end());
    if (wide.rfind(L"\\\\.\\", 0) == 0) return wide;
    return L"\\\\.\\" + wide;
}

Win32SerialTransport::Win32SerialTransport(const Clock& clock) : clock_(clock) {}

Win32SerialTransport::~Win32SerialTransport() {
    close();
}

void Win32SerialTransport::open(const PortSettings& settings) {
    close();
    HANDLE port = CreateFileW(ComDevicePath(settings.device).c_str(), GENERIC_READ | GENERIC_WRITE,
                              0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) throw OpenFailure(GetLastError(), settings.device);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    bool ok = GetCommState(port, &dcb) != 0;
    if (ok) {
        dcb.BaudRate = PortSettings::kBaudRate;
        dcb.ByteSize = PortSettings::kDataBits;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE; // the cable powers its level shifter from DTR/RTS
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fAbortOnError = FALSE;
        ok = SetCommState(port, &dcb) != 0;
    }
    COMMTIMEOUTS timeouts = ReadTimeouts(0);
    ok = ok && SetCommTimeouts(port, &timeouts) != 0;
    if (!ok) {
        const DWORD error = GetLastError();
        CloseHandle(port);
        throw RuntimeError(ErrorNumber::PortNotAvailable,
                           ErrorDescription(ErrorNumber::PortNotAvailable) + " (cannot set " +
                               settings.device + " to 9600 8N1, error " + std::to_string(error) +
                               ")");
    }
    PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    handle_ = port;
    readWaitMs_ = 0;
    received_.clear();
}

void Win32SerialTransport::close() {
    if (!handle_) return;
    CloseHandle(Handle(handle_));
    handle_ = nullptr;
}

bool Win32SerialTransport::isOpen() const {
    return handle_ != nullptr;
}

bool Win32SerialTransport::SetReadWait(std::chrono::milliseconds wait) {
    const auto waitMs = static_cast<DWORD>(std::max<long long>(0, wait.count()));
    if (waitMs == readWaitMs_) return true;
    COMMTIMEOUTS timeouts = ReadTimeouts(waitMs);
    if (!SetCommTimeouts(Handle(handle_), &timeouts)) return false;
    readWaitMs_ = waitMs;
    return true;
}

bool Win32SerialTransport::Receive(std::chrono::milliseconds wait, std::size_t want) {
    if (!handle_) return false;
    std::uint8_t chunk[512];
    for (bool first = true;; first = false) {
        // First the wait asked for; then, while whole chunks come, what is there.
        const bool waiting = first && wait > std::chrono::milliseconds::zero();
        const DWORD size = waiting
                               ? static_cast<DWORD>(std::clamp<std::size_t>(want, 1, sizeof chunk))
                               : static_cast<DWORD>(sizeof chunk);
        DWORD got = 0;
        if (!SetReadWait(waiting ? wait : std::chrono::milliseconds::zero()) ||
            !ReadFile(Handle(handle_), chunk, size, &got, nullptr)) {
            close();
            return false;
        }
        received_.insert(received_.end(), chunk, chunk + got);
        if (!waiting && got < sizeof chunk) return true;
        if (waiting && got < size) return true; // the wait ran out first
    }
}

bool Win32SerialTransport::write(std::span<const std::uint8_t> bytes) {
    if (!handle_) return false;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        DWORD n = 0;
        const auto want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - sent, 1u << 16));
        if (!WriteFile(Handle(handle_), bytes.data() + sent, want, &n, nullptr) || n == 0) {
            close(); // failed, or no progress for seconds: nothing is listening
            return false;
        }
        sent += n;
    }
    return true;
}

std::size_t Win32SerialTransport::bytesAvailable() {
    if (handle_) Receive(std::chrono::milliseconds::zero());
    return received_.size();
}

std::size_t Win32SerialTransport::read(std::span<std::uint8_t> buffer) {
    if (received_.size() < buffer.size() && handle_) Receive(std::chrono::milliseconds::zero());
    const std::size_t n = std::min(buffer.size(), received_.size());
    std::copy_n(received_.begin(), n, buffer.begin());
    received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

WaitStatus Win32SerialTransport::waitForBytes(std::size_t count, Clock::TimePoint deadline,
                                              const CancelToken& cancel) {
    using namespace std::chrono;
    for (;;) {
        if (received_.size() >= count) return WaitStatus::Ready;
        if (!handle_) return WaitStatus::LineLost;
        if (cancel.requested()) return WaitStatus::Cancelled;
        const auto remaining = ceil<milliseconds>(deadline - clock_.now());
        if (remaining <= milliseconds::zero()) {
            // A last look: bytes that came in with the deadline still count.
            if (!Receive(milliseconds::zero())) return WaitStatus::LineLost;
            return received_.size() >= count ? WaitStatus::Ready : WaitStatus::Timeout;
        }
        if (!Receive(std::min(remaining, kSlice), count - received_.size()))
            return WaitStatus::LineLost;
    }
}

void Win32SerialTransport::flushInput() {
    received_.clear();
    if (!handle_) return;
    PurgeComm(Handle(handle_), PURGE_RXCLEAR);
    Receive(std::chrono::milliseconds::zero());
    received_.clear();
}

std::vector<ComPortEntry> ListComPorts() {
    std::vector<ComPortEntry> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        wchar_t data[256];
        DWORD nameLength = 256;
        DWORD dataBytes = sizeof data;
        DWORD type = 0;
        const LONG status = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || type != REG_SZ) continue;
        ports.push_back({Narrow(data, dataBytes / sizeof(wchar_t)), Narrow(name, nameLength)});
    }
    RegCloseKey(key);
    auto number = [](const std::string& port) {
        std::size_t i = 0;
        while (i < port.size() && !std::isdigit(static_cast<unsigned char>(port[i]))) ++i;
        return i < port.size() ? std::stoi(port.substr(i)) : 0;
    };
    std::sort(ports.begin(), ports.end(), [&](const ComPortEntry& a, const ComPortEntry& b) {
        return number(a.name) != number(b.name) ? number(a.name) < number(b.name) : a.name < b.name;
    });
    return ports;
}

} // namespace qb41::link
