#pragma once

#include <functional>
#include <memory>

class ITransport;
struct ConnectionSettings;

// Makes the transport a session opens at Connect; may return null when none can
// be made. Tests pass their own (an in-memory link).
using TransportFactory = std::function<std::unique_ptr<ITransport>(const ConnectionSettings&)>;

// UDP for transport index 0, the serial line otherwise.
TransportFactory DefaultTransportFactory();
