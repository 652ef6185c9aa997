#include "link/TransportFactory.h"

#include "link/ITransport.h"
#include "link/TransportCOM.h"
#include "link/TransportUDP.h"
#include "settings/ConnectionSettings.h"

TransportFactory DefaultTransportFactory()
{
    return [](const ConnectionSettings& settings) -> std::unique_ptr<ITransport> {
        if (settings.transportIndex == 0)
            return std::make_unique<CTransportUDP>();
        return std::make_unique<CTransportCOM>();
    };
}
