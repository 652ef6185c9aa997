#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <system_error>

#include "link/SerialLineSettings.h"

namespace asio {
class io_context;
}

// One serial device, opened exclusively and holding the device's lock file
// while open (CSerialLock). Every operation returns 0 or the error
// number it also keeps as the last error. Not thread-safe: the owner serialises
// calls, and the asynchronous operations complete on the io_context's thread.
class CSerialPort {
public:
    explicit CSerialPort(asio::io_context& io);
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    int Open(const std::string& portName);
    int Close();
    bool IsOpen() const;
    int GetLastError() const { return lastError_; }

    int Setup(std::uint32_t baudRate, std::uint32_t dataBits, SerialParity parity, SerialStopBits stopBits);
    int SetupHandshaking(SerialHandshake mode);

    // The line as the device has it now; -1 when it cannot be read. Parity is
    // None whenever parity generation is off.
    int GetBaudRate() const;
    int GetDataBits() const;
    int GetParity() const;
    int GetStopBits() const;
    int GetHandshaking() const;

    using IoHandler = std::function<void(const std::error_code&, std::size_t)>;
    // The buffers must stay valid until the handler has run.
    void AsyncReadSome(std::uint8_t* buffer, std::size_t size, IoHandler handler);
    void AsyncWrite(const std::uint8_t* data, std::size_t size, IoHandler handler);
    // Ends pending reads and writes with operation_aborted; the port stays open.
    void Cancel();

private:
    int Store(int error);
    int NativeHandle() const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
    int lastError_ = 0;
};
