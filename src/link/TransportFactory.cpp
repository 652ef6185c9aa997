#include "link/TransportFactory.h"

#include "link/ITransport.h"
#include "settings/ConnectionSettings.h"

TransportFactory DefaultTransportFactory()
{
    // The UDP and serial transports are plugged in here; until they are, no
    // transport can be made and Connect stops without opening anything.
    return [](const ConnectionSettings&) -> std::unique_ptr<ITransport> { return nullptr; };
}
