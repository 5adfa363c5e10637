// A serial port (a modem, or anything else behind a terminal device) opened
// by its device path.
//
// The port is opened for reading and writing, exclusively, without becoming
// the process's controlling terminal and without waiting for a carrier, and
// is put into raw mode: bytes pass unchanged both ways (no line-end
// translation, no echo, no signals) and the modem control lines do not stop
// the transfer. The line speed is left as the device has it.
//
// Failures come back as the system's error number; errorText() words the
// last one with the device path.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

class SerialPort {
public:
    SerialPort() = default;
    // Closes the port.
    ~SerialPort();

    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    // Opens the existing device at `path` (a port already open is closed
    // first). Returns 0 on success, else the error number: ENOENT for a
    // missing device, EBUSY when another holder has it open exclusively,
    // ENOTTY when the path is no terminal device. After a failure the port
    // is closed.
    int open(const std::string &path);

    bool isOpen() const { return m_fd >= 0; }
    const std::string &path() const { return m_path; }

    // Closes the port. Closing a closed port does nothing.
    void close();

    // Writes `bytes`, waiting at most `timeoutMs` each time the device
    // accepts nothing. Returns the number of bytes written, which is less
    // than bytes.size() when the device stalled or failed (lastError() then
    // tells why), or -1 when the port is closed.
    long write(std::string_view bytes, int timeoutMs);

    // Reads what has arrived, waiting at most `timeoutMs` for the first
    // byte. Returns the number of bytes stored in `buffer` (0 when nothing
    // came in time), or -1 on failure or when the port is closed.
    long read(char *buffer, std::size_t size, int timeoutMs);

    // The error number of the last failed call (0 when none failed).
    int lastError() const { return m_error; }
    // "<path>: <system message>" for the last failure, or empty.
    std::string errorText() const;

    // The device of serial port `number` (1 for the first): the value of the
    // environment variable TESSARON_COM<number> when it is set and not
    // empty, else /dev/ttyS<number - 1>. This is how a USB modem or a test's
    // pseudo-terminal takes the place of a built-in port.
    static std::string deviceOfComPort(int number);

private:
    int fail(int error);

    int m_fd = -1;
    int m_error = 0;
    std::string m_path;
};

} // namespace platform
